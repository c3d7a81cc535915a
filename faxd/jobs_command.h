#pragma once

#include <string>

// `pelmor-faxd jobs`: asks the service at socketPath for its job list and
// prints it as a table. Returns the exit code (1 when no service answers).
int PrintJobs(const std::string& socketPath);

// One request to the service at socketPath; the answer line, or empty when
// no service answers.
std::string AskService(const std::string& socketPath, const std::string& request);
