#pragma once

#include <cstdint>

#include "image/bitmap.h"

// Quarter turns. direction 1 turns clockwise (the top row becomes the right-hand
// column, the top-left pixel ends top-right); any other value counter-clockwise.

// Turns through pixel reads and writes; the result is the 32-bit working
// format. Raises TBitmapError when the result cannot be made; the bitmap is
// then unchanged.
void RotateBitmapByPixel(std::uint8_t direction, TBitmap& bitmap);

// Turns by copying bytes between 24-bit rows; the result is 24-bit. Never
// raises: on any failure, and for a picture without pixels, the bitmap is left
// as it was.
void RotateBitmapByScanline(std::uint8_t direction, TBitmap& bitmap) noexcept;
