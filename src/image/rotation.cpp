#include "image/rotation.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Both turns walk the picture in square tiles, so that the rows written stay
// in the cache while a tile's columns are filled.
constexpr int Tile = 64;

}  // namespace

void RotateBitmapByPixel(std::uint8_t direction, TBitmap& bitmap)
{
    const int w = bitmap.Width(), h = bitmap.Height();
    TBitmap result;
    result.SetSize(h, w);
    const bool clockwise = direction == 1;
    for (int y0 = 0; y0 < h; y0 += Tile) {
        const int y1 = std::min(h, y0 + Tile);
        for (int x0 = 0; x0 < w; x0 += Tile) {
            const int x1 = std::min(w, x0 + Tile);
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) {
                    const TColor c = bitmap.Pixel(x, y);
                    if (clockwise)
                        result.SetPixel(h - 1 - y, x, c);
                    else
                        result.SetPixel(y, w - 1 - x, c);
                }
        }
    }
    bitmap = std::move(result);
}

void RotateBitmapByScanline(std::uint8_t direction, TBitmap& bitmap) noexcept
{
    const int w = bitmap.Width(), h = bitmap.Height();
    if (w == 0 || h == 0)
        return;
    try {
        // A 24-bit picture is read where it is; any other is read from a 24-bit copy.
        TBitmap converted;
        const TBitmap* source = &bitmap;
        if (bitmap.PixelFormat() != pf24bit) {
            if (!converted.TryReset(w, h, pf24bit))
                return;
            converted.Draw(bitmap);
            source = &converted;
        }
        TBitmap result;
        if (!result.TryReset(h, w, pf24bit))
            return;

        std::vector<const std::uint8_t*> sourceRows(static_cast<std::size_t>(h));
        std::vector<std::uint8_t*> resultRows(static_cast<std::size_t>(w));
        for (int y = 0; y < h; ++y)
            sourceRows[std::size_t(y)] = source->ScanLine(y);
        for (int y = 0; y < w; ++y)
            resultRows[std::size_t(y)] = result.ScanLine(y);

        const bool clockwise = direction == 1;
        for (int i0 = 0; i0 < w; i0 += Tile) {
            const int i1 = std::min(w, i0 + Tile);
            for (int j0 = 0; j0 < h; j0 += Tile) {
                const int j1 = std::min(h, j0 + Tile);
                for (int i = i0; i < i1; ++i) {
                    std::uint8_t* out = resultRows[std::size_t(i)] + std::size_t(j0) * 3;
                    if (clockwise) {
                        const std::size_t column = std::size_t(i) * 3;
                        for (int j = j0; j < j1; ++j, out += 3)
                            std::memcpy(out, sourceRows[std::size_t(h - 1 - j)] + column, 3);
                    } else {
                        const std::size_t column = std::size_t(w - 1 - i) * 3;
                        for (int j = j0; j < j1; ++j, out += 3)
                            std::memcpy(out, sourceRows[std::size_t(j)] + column, 3);
                    }
                }
            }
        }
        bitmap = std::move(result);
    } catch (...) {
        // Nothing was changed.
    }
}
