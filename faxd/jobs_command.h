#pragma once

#include <string>

// `pelmor-faxd jobs`: asks the service at socketPath for its job list and
// prints it as a table. Returns the exit code (1 when no service answers).
int PrintJobs(const std::string& socketPath);
