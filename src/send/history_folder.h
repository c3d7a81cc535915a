#pragma once

#include <string>

// The history folder of a destination: appDir + "/faxto" + name + number.
// Empty when the name cannot be part of one folder name there (it holds "/"
// or NUL, is "." or "..", or makes the name longer than the file system
// allows), so that nothing is ever filed outside appDir.
std::string HistoryFolderPath(const std::string& appDir, const std::string& name, const std::string& number);

// The error that stops filing a send under a name HistoryFolderPath refuses.
std::string HistoryFolderNameError(const std::string& name);
