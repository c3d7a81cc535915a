#pragma once

#include <cstdint>

#include "image/bitmap.h"
#include "image/color_tables.h"

// Moving runs of pixels between a bitmap row of any depth and blue-green-red
// triples. The caller keeps x and count inside the picture.

// Reads count pixels of row y from column x as blue, green, red triples.
void ReadRowBgr(const TBitmap& bitmap, int y, int x, int count, std::uint8_t* bgr);

// Writes count triples into row y from column x; at 1, 4 and 8 bits each
// becomes the nearest colour of the bitmap's table through matcher.
void WriteRowBgr(TBitmap& bitmap, int y, int x, int count, const std::uint8_t* bgr, TColorMatcher* matcher);

// Writes a colour-table index at column x of a 1-, 4- or 8-bit row.
inline void PutIndex(std::uint8_t* row, TPixelFormat format, int x, std::uint8_t index)
{
    switch (format) {
    case pf1bit: {
        const std::uint8_t bit = std::uint8_t(0x80 >> (x & 7));
        row[x >> 3] = index & 1 ? row[x >> 3] | bit : row[x >> 3] & ~bit;
        break;
    }
    case pf4bit:
        row[x >> 1] = (x & 1) ? (row[x >> 1] & 0xF0) | (index & 0x0F) : (row[x >> 1] & 0x0F) | std::uint8_t(index << 4);
        break;
    default:
        row[x] = index;
        break;
    }
}
