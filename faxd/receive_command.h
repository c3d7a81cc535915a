#pragma once

#include <string>

// `pelmor-faxd receive FILE --from NUMBER`: asks the running service to
// receive FILE on the simulated line and prints what arrived. The exit code.
int ReceiveOnSimulatedLine(const std::string& socketPath, const std::string& file, const std::string& from);
