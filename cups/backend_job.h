#pragma once

#include <cstdio>
#include <string>

// One run of the fax printer's backend, as CUPS starts it:
//   pelmor                                        -> the device line, for discovery
//   pelmor JOB USER TITLE COPIES OPTIONS [FILE]   -> the job: FILE, or standard input
// The printed PDF goes into USER's inbox, written as USER, through a temporary
// file renamed into place. Messages go to log (CUPS's error log reads
// "ERROR:" and "INFO:" lines). Returns the backend's exit status.
int RunBackend(int argc, const char* const* argv, int input, std::FILE* out, std::FILE* log);

// Documents larger than this are refused rather than read into memory.
inline constexpr size_t MaxDocumentBytes = 256u * 1024 * 1024;

// True when bytes begin like a PDF: "%PDF-" within the first kilobyte, as PDF
// readers accept it.
bool LooksLikePdf(const std::string& bytes);
