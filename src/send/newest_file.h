#pragma once

#include <string>

// The entry of folder written last, files and subfolders alike, at the two-
// second resolution of packed DOS times; on equal times the one enumerated
// first. With withPath the result is folder + "/" + name. Empty when the
// folder is missing or holds nothing.
std::string FindNewestFile(const std::string& folder, bool withPath);

// The name of a history copy: the time formatted "yy-mm-dd-hh-nn" plus the
// extension of the copied file, dot included.
std::string HistoryFileName(const std::string& copiedPath, int year, int month, int day, int hour, int minute);
