#pragma once

#include "automation/variant.h"

#include <cstdint>
#include <string>

// Raises the error a file operation failed with, worded the way script code
// expects ("File not found", "Path not found", "Permission denied", ...),
// followed by the path it concerns. errorNumber is an errno value.
[[noreturn]] void RaiseFileError(int errorNumber, const std::string& path);

// Raises a file error with a fixed text, followed by the path it concerns.
[[noreturn]] void RaiseFileError(const std::string& text, const std::string& path);

// A size in bytes as a variant: a 32-bit integer when it fits, a 64-bit one
// otherwise, so that a caller that reads it as 32 bits gets an overflow error
// instead of a wrong number.
TVariant SizeVariant(uint64_t size);
