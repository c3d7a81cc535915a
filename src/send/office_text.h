#pragma once

#include <string>

// Saves a Word document as plain text at destination; false when Word cannot
// be started or cannot open the source.
bool WordToText(const std::string& source, const std::string& destination);

// Saves an Excel workbook's active sheet as formatted text at destination;
// false when Excel cannot be started or cannot open the source.
bool ExcelToText(const std::string& source, const std::string& destination);
