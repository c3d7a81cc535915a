#pragma once

#include <string>

// True when s is not empty and holds only the ASCII digits 0 to 9.
bool IsDigitsOnly(const std::string& s);

// True when number is exactly ten ASCII digits; otherwise shows "FAX番号が変".
bool CheckFaxNumber(const std::string& number);
