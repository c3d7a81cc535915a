#pragma once

#include <cstdint>

#include "image/bitmap.h"

// The shortest side trimming leaves.
constexpr int MinTrimmedLength = 10;

// Cuts amount rows (vertical 1) or columns off one edge: the top or left with
// fromStart 1, else the bottom or right. Never below MinTrimmedLength along that
// axis; a picture already that short, or a negative amount, is left as it is.
// The depth and colour table are kept. Raises TBitmapError when the copy cannot
// be made; the bitmap is then unchanged.
void TrimBitmapEdge(TBitmap& bitmap, std::uint8_t vertical, std::uint8_t fromStart, int amount);
