#pragma once

#include <string>

// Starts the fax service program detached from this process (its own session,
// not a child of ours, standard streams on /dev/null), so that it goes on after
// the application quits. The service is told the socket to open through
// PELMOR_FAXD_SOCKET. A program without a slash is looked up in PATH.
// False when the program cannot be found or started.
bool StartFaxService(const std::string& program, const std::string& socketPath);
