#pragma once

#include "fax_line.h"

#include <string>
#include <vector>

// What the command line (and the config file) ask of pelmor-faxd.
struct TServiceOptions {
    std::string Command;    // "" to serve, "jobs" to list the running service's jobs
    std::string DataDir;    // holds spool/, SentItems/, Received/, Failed/, jobs.log
    std::string SocketPath;
    std::string ConfigPath;
    std::string LineName = "simulated";
    TLineOptions LineOptions; // the selected line's own options
    std::string OfficeProgram = "soffice"; // LibreOffice: a name on PATH, or a path
    int OfficeIdleSeconds = 600;            // LibreOffice ends after this long unused
    bool Notify = true;     // desktop notifications when a job ends ("notify = off" switches them off)
    bool Foreground = false;
    bool Help = false;
};

// Parses the arguments after the program name, then the config file (which
// gives what the command line left open). False with a short error.
bool ParseServiceOptions(const std::vector<std::string>& args, TServiceOptions& options, std::string& error);

// The defaults: $XDG_DATA_HOME/pelmor-faxd (~/.local/share/pelmor-faxd) and
// $XDG_CONFIG_HOME/pelmor-faxd/config; the socket's is DefaultFaxSocketPath.
std::string DefaultDataDir();
std::string DefaultConfigPath();

std::string ServiceUsage();
