#pragma once

#include <string>

// The product name a SANE device is listed under: its vendor and model, at
// most 33 bytes (a protocol text field with its terminating zero), cut
// before a UTF-8 character that would not fit whole.
std::string ProductNameOf(const std::string& vendor, const std::string& model);
