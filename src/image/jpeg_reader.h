#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/bitmap.h"

// Decodes a JPEG (colour, greyscale, CMYK or YCCK) at full size into a 24-bit
// bitmap through libjpeg. Decoder errors are caught; warnings (a file cut short,
// say) are not errors, so the picture comes out as far as it could be decoded.
// A picture of more than maxPixels is refused before it is decoded. On false
// the bitmap is left as it was.
bool ReadJpeg(const std::uint8_t* data, std::size_t size, TBitmap& bitmap,
              std::uint64_t maxPixels = MaxBitmapPixels);

bool LoadJpegFile(const std::string& path, TBitmap& bitmap);
