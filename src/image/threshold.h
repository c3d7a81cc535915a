#pragma once

#include <cstdint>

#include "image/bitmap.h"

// Splits the picture by grey level into two colours. Pixels within threshold
// grey levels of the darkest pixel form one class, the rest the other; the
// larger class is painted first, the smaller second (on equal counts the
// near-dark class is first). The bitmap becomes 24-bit with at most those two
// colours. False, with the bitmap unchanged, when the working copy cannot be
// made.
bool ThresholdToTwoColors(TBitmap& bitmap, TColor first, TColor second, std::uint8_t threshold) noexcept;

// The same, leaving source as it is and putting the two-colour picture into
// result (which must be another bitmap). False, with result unchanged, when
// it cannot be made.
bool ThresholdToTwoColors(const TBitmap& source, TBitmap& result, TColor first, TColor second,
                          std::uint8_t threshold) noexcept;
