#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Encodes test pictures with libjpeg. samples holds components bytes per
// pixel, row by row: 3 for RGB, 1 for grey, 4 for CMYK (as stored in the file).
enum TJpegKind { jkRgb, jkGrey, jkCmyk };

std::vector<std::uint8_t> EncodeJpeg(const std::vector<std::uint8_t>& samples, int width, int height, TJpegKind kind,
                                     int quality = 95, bool progressive = false);
