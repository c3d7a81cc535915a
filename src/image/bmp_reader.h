#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/bitmap.h"

// Reads a Windows or OS/2 BMP: core, information (with or without bit masks),
// v4 and v5 headers; 1, 4, 8, 16, 24 and 32 bits; bottom-up and top-down;
// uncompressed, RLE8, RLE4 and bit fields. 1-, 4- and 8-bit pictures keep their
// depth and colour table, 16- and 24-bit ones become 24-bit, 32-bit ones the
// 32-bit format (the fourth byte dropped). Every header value is checked before
// it is used; a picture of more than maxPixels is refused. On false the bitmap
// is left as it was.
bool ReadBmp(const std::uint8_t* data, std::size_t size, TBitmap& bitmap,
             std::uint64_t maxPixels = MaxBitmapPixels);

bool LoadBmpFile(const std::string& path, TBitmap& bitmap);
