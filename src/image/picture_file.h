#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The largest picture file read; nothing this system can decode is larger.
constexpr std::uint64_t MaxPictureFileBytes = 2ull << 30;

// Reads a whole file as bytes. False when it cannot be read or is too large.
bool ReadPictureBytes(const std::string& path, std::vector<std::uint8_t>& bytes);
