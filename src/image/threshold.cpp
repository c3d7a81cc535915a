#include "image/threshold.h"

#include <cmath>

namespace {

void Paint(std::uint8_t* p, const TColorBytes& c)
{
    p[0] = c.Blue;
    p[1] = c.Green;
    p[2] = c.Red;
}

}  // namespace

bool ThresholdToTwoColors(TBitmap& bitmap, TColor first, TColor second, std::uint8_t threshold) noexcept
{
    try {
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
                const auto grey = std::uint8_t(std::lrint(ColorLuma(p[0], p[1], p[2])));
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
        bitmap = std::move(work);
        return true;
    } catch (...) {
        return false;
    }
}
