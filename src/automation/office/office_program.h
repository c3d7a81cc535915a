#pragma once

#include <string>

// The executable that runs LibreOffice for the given program setting (a name
// looked up on PATH, or a path); empty when there is none. LibreOffice's
// "soffice" launcher is replaced by the soffice.bin beside it, so that the
// process started is the office itself and dies with its parent.
std::string FindOfficeProgram(const std::string& program);

// True when the exit code means "started with a new profile, start again".
bool IsOfficeRestartRequest(int exitCode);

// A file URL for an absolute path, every byte outside a safe set escaped.
std::string FileUrlOf(const std::string& path);
