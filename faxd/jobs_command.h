#pragma once

#include <string>

// `pelmor-faxd jobs`: asks the service at socketPath for its job list and
// prints it as a table. Returns the exit code (1 when no service answers).
// A socket in a folder that is not private to this user is never asked.
int PrintJobs(const std::string& socketPath);

// text with every control character (C0, DEL, C1) shown as "?", so that what
// a fax machine or server wrote cannot steer the terminal.
std::string PrintableText(const std::string& text);
