#pragma once

#include "faxproto/fax_socket.h"
#include "platform/seam.h"

#include <string>

// Where the fax client finds the fax service and how long it waits for it.
struct TFaxServiceSettings {
    // The service's Unix socket.
    std::string SocketPath;
    // The program to start when no service answers: a path, or a bare name
    // looked up in PATH.
    std::string Program;
    // How long one answer may take before the request fails.
    int ReplyTimeoutMs = 30000;
    // How long a freshly started service may take to open its socket.
    int StartTimeoutMs = 5000;
};

// pelmor-faxd beside this executable when it is there, else pelmor-faxd from PATH.
std::string DefaultFaxProgram();

// The application keeps the defaults; tests point the client at a fake service.
extern TSeam<TFaxServiceSettings()> FaxServiceSettingsSeam;
TFaxServiceSettings GetFaxServiceSettings();
