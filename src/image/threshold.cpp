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

// A grey level rounded to the nearest whole number, halves to the even one,
// as the default rounding of the floating-point unit gives; written out so
// that no library call is made per pixel. The level lies within 0 to 255.
inline std::uint8_t RoundLevel(double level)
{
    int whole = int(level);
    const double rest = level - whole;
    if (rest > 0.5 || (rest == 0.5 && (whole & 1)))
        ++whole;
    return std::uint8_t(whole);
}

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

        // Grey pass: each pixel's grey goes into its first byte, and the
        // greys are counted.
        std::uint64_t counts[256] = {};
        int smallest = 255;
        for (int y = 0; y < h; ++y) {
            std::uint8_t* p = work.ScanLine(y);
            for (int x = 0; x < w; ++x, p += 3) {
                const std::uint8_t grey = RoundLevel(products.Blue[p[0]] + products.Green[p[1]] + products.Red[p[2]]);
                p[0] = grey;
                ++counts[grey];
                smallest = grey < smallest ? grey : smallest;
            }
        }

        // The near-dark class lies within threshold of the darkest grey. The
        // larger class takes the first colour; on equal counts the near-dark
        // one does. Each grey's colour is settled before any pixel is painted.
        std::uint64_t nearDark = 0, total = 0;
        for (int grey = 0; grey < 256; ++grey) {
            total += counts[grey];
            if (grey - smallest <= threshold)
                nearDark += counts[grey];
        }
        const bool nearDarkFirst = nearDark >= total - nearDark;
        TColorBytes colorOfGrey[256];
        for (int grey = 0; grey < 256; ++grey)
            colorOfGrey[grey] = (grey - smallest <= threshold) == nearDarkFirst ? firstBytes : secondBytes;

        for (int y = 0; y < h; ++y) {
            std::uint8_t* p = work.ScanLine(y);
            for (int x = 0; x < w; ++x, p += 3)
                Paint(p, colorOfGrey[p[0]]);
        }
        result = std::move(work);
        return true;
    } catch (...) {
        return false;
    }
}
