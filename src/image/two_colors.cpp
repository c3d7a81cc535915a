#include "image/two_colors.h"

#include <cstring>

TThreeColors FindFirstThreeColors(TBitmap& bitmap)
{
    bitmap.SetPixelFormat(pf24bit);
    std::uint8_t found[3][3];
    int count = 0;
    for (int y = 0; y < bitmap.Height() && count < 3; ++y) {
        const std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width() && count < 3; ++x, p += 3) {
            bool known = false;
            for (int i = 0; i < count && !known; ++i)
                known = std::memcmp(found[i], p, 3) == 0;
            if (!known)
                std::memcpy(found[count++], p, 3);
        }
    }
    auto color = [&](int i) {
        const std::uint8_t* c = found[i < count ? i : 0];
        return RGBColor(c[2], c[1], c[0]);
    };
    if (count == 0)
        return {};
    return {color(0), color(1), color(2)};
}

void NormalizeTwoColors(TBitmap& bitmap, TColor a, TColor b)
{
    a = ColorToRGB(a);
    b = ColorToRGB(b);
    if ((a == clBlack && b == clWhite) || (a == clWhite && b == clBlack))
        return;
    bitmap.SetPixelFormat(pf24bit);
    const TColorBytes aBytes = SplitColor(a), bBytes = SplitColor(b);
    const bool aIsLighter = ColorLuma(aBytes.Blue, aBytes.Green, aBytes.Red) > ColorLuma(bBytes.Blue, bBytes.Green, bBytes.Red);
    const std::uint8_t aValue = aIsLighter ? 255 : 0;
    const std::uint8_t otherValue = 255 - aValue;
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
            const bool isA = p[0] == aBytes.Blue && p[1] == aBytes.Green && p[2] == aBytes.Red;
            p[0] = p[1] = p[2] = isA ? aValue : otherValue;
        }
    }
}
