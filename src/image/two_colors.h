#pragma once

#include "image/bitmap.h"

struct TThreeColors {
    TColor First = clBlack;
    TColor Second = clBlack;
    TColor Third = clBlack;
};

// Changes the bitmap itself to 24 bits, then reports the first three distinct
// colours met scanning from the top row down, each row from the left. A colour
// not found repeats the first: First == Third means at most two colours,
// First == Second as well means one. A bitmap without pixels gives black three
// times. Raises TBitmapError when the depth cannot be changed.
TThreeColors FindFirstThreeColors(TBitmap& bitmap);

// Repaints a two-colour picture in pure black and white: pixels of colour a
// become white when a is lighter (by ColorLuma) than b, else black; all other
// pixels the opposite. A black-and-white pair, in either order, is left alone.
// The bitmap becomes 24-bit; raises TBitmapError when it cannot.
void NormalizeTwoColors(TBitmap& bitmap, TColor a, TColor b);
