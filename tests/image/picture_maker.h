#pragma once

#include <cstdint>
#include <initializer_list>
#include <random>

#include "image/bitmap.h"

// Pictures for tests.

// A 24-bit picture of the given pixels, row by row.
inline TBitmap PictureOf(int width, int height, std::initializer_list<TColor> pixels)
{
    TBitmap b;
    b.TryReset(width, height, pf24bit);
    auto it = pixels.begin();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width && it != pixels.end(); ++x)
            b.SetPixel(x, y, *it++);
    return b;
}

// A 24-bit picture filled with one colour.
inline TBitmap FilledPicture(int width, int height, TColor color, TPixelFormat format = pf24bit)
{
    TBitmap b;
    b.TryReset(width, height, format);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.SetPixel(x, y, color);
    return b;
}

// Something like a photograph: smooth colour gradients with grain.
inline TBitmap PhotoPicture(int width, int height, unsigned seed = 1)
{
    std::mt19937 random(seed);
    TBitmap b;
    b.TryReset(width, height, pf24bit);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = b.ScanLine(y);
        for (int x = 0; x < width; ++x, p += 3) {
            const int grain = int(random() % 21) - 10;
            auto clamp = [](int v) { return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
            p[0] = clamp(40 + 180 * x / (width > 1 ? width - 1 : 1) + grain);
            p[1] = clamp(30 + 200 * y / (height > 1 ? height - 1 : 1) + grain);
            p[2] = clamp(220 - 150 * (x + y) / (width + height) + grain);
        }
    }
    return b;
}

// Red text-like strokes on a yellow page.
inline TBitmap RedOnYellowPicture(int width, int height)
{
    TBitmap b = FilledPicture(width, height, RGBColor(255, 255, 0));
    for (int y = 2; y < height; y += 7)
        for (int x = 3; x < width - 3; ++x)
            if ((x / 4) % 3 != 0)
                b.SetPixel(x, y, RGBColor(255, 0, 0));
    return b;
}
