#pragma once

#include <string>

// "Word" or "Excel" could not be started or could not open the document.
void ReportOfficeFailure(const std::string& applicationName);

// The converted document holds no text.
void ReportNoText();
