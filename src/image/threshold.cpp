#include "image/threshold.h"

#include <cmath>

namespace {

void Paint(std::uint8_t* p, const TColorBytes& c)
{
    p[0] = c.Blue;
    p[1] = c.Green;
    p[2] = c.Red;
}

// The three products of ColorLuma for every channel value, so that a pixel's
// grey costs two additions, summed in ColorLuma's order to give its very value.
struct TLumaProducts {
    double Blue[256], Green[256], Red[256];
    TLumaProducts()
    {
        for (int v = 0; v < 256; ++v) {
            Blue[v] = 0.114 * v;
            Green[v] = 0.587 * v;
            Red[v] = 0.299 * v;
        }
    }
};

}  // namespace

bool ThresholdToTwoColors(TBitmap& bitmap, TColor first, TColor second, std::uint8_t threshold) noexcept
{
    TBitmap result;
    if (!ThresholdToTwoColors(bitmap, result, first, second, threshold))
        return false;
    bitmap = std::move(result);
    return true;
}

bool ThresholdToTwoColors(const TBitmap& bitmap, TBitmap& result, TColor first, TColor second,
                          std::uint8_t threshold) noexcept
{
    try {
        static const TLumaProducts products;
        const TColorBytes firstBytes = SplitColor(first), secondBytes = SplitColor(second);
        const int w = bitmap.Width(), h = bitmap.Height();
        TBitmap work;
        if (!work.TryReset(w, h, pf24bit))
            return false;
        work.Draw(bitmap);

        // Grey pass: the grey goes back into the pixel, so no second buffer.
        int smallest = 255;
        for (int y = 0; y < h; ++y) {
            std::uint8_t* p = work.ScanLine(y);
            for (int x = 0; x < w; ++x, p += 3) {
                const auto grey =
                    std::uint8_t(std::lrint(products.Blue[p[0]] + products.Green[p[1]] + products.Red[p[2]]));
                p[0] = p[1] = p[2] = grey;
                if (grey < smallest)
                    smallest = grey;
            }
        }

        // Split pass.
        std::uint64_t firstCount = 0, secondCount = 0;
        for (int y = 0; y < h; ++y) {
            std::uint8_t* p = work.ScanLine(y);
            for (int x = 0; x < w; ++x, p += 3) {
                if (p[0] - smallest > threshold) {
                    Paint(p, secondBytes);
                    ++secondCount;
                } else {
                    Paint(p, firstBytes);
                    ++firstCount;
                }
            }
        }

        // The larger class takes the first colour.
        if (secondCount > firstCount) {
            for (int y = 0; y < h; ++y) {
                std::uint8_t* p = work.ScanLine(y);
                for (int x = 0; x < w; ++x, p += 3) {
                    const bool isFirst = p[0] == firstBytes.Blue && p[1] == firstBytes.Green && p[2] == firstBytes.Red;
                    Paint(p, isFirst ? secondBytes : firstBytes);
                }
            }
        }
        result = std::move(work);
        return true;
    } catch (...) {
        return false;
    }
}
