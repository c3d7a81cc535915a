#include "image/pixel_rows.h"

#include <cstring>
#include <utility>

void ReadRowBgr(const TBitmap& bitmap, int y, int x, int count, std::uint8_t* bgr)
{
    const std::uint8_t* row = bitmap.ScanLine(y);
    switch (bitmap.PixelFormat()) {
    case pf24bit:
        std::memcpy(bgr, row + std::size_t(x) * 3, std::size_t(count) * 3);
        return;
    case pf32bit: {
        const std::uint8_t* p = row + std::size_t(x) * 4;
        for (int i = 0; i < count; ++i, p += 4, bgr += 3) {
            bgr[0] = p[0];
            bgr[1] = p[1];
            bgr[2] = p[2];
        }
        return;
    }
    default: {
        const auto& table = bitmap.ColorTable();
        for (int i = 0; i < count; ++i, bgr += 3) {
            const TColor c = table[bitmap.IndexInRow(row, x + i)];
            bgr[0] = std::uint8_t(c >> 16);
            bgr[1] = std::uint8_t(c >> 8);
            bgr[2] = std::uint8_t(c);
        }
        return;
    }
    }
}

void WriteRowBgr(TBitmap& bitmap, int y, int x, int count, const std::uint8_t* bgr, TColorMatcher* matcher)
{
    std::uint8_t* row = bitmap.ScanLine(y);
    switch (bitmap.PixelFormat()) {
    case pf24bit:
        std::memcpy(row + std::size_t(x) * 3, bgr, std::size_t(count) * 3);
        return;
    case pf32bit: {
        std::uint8_t* p = row + std::size_t(x) * 4;
        for (int i = 0; i < count; ++i, p += 4, bgr += 3) {
            p[0] = bgr[0];
            p[1] = bgr[1];
            p[2] = bgr[2];
            p[3] = 0;
        }
        return;
    }
    default: {
        // Neighbouring pixels are often alike: the last two colours met are
        // remembered with their matches, so that runs of one colour and
        // pictures of two colours are matched once per change.
        std::uint32_t keys[2] = {0xFFFFFFFF, 0xFFFFFFFF};
        std::uint8_t indexes[2] = {0, 0};
        for (int i = 0; i < count; ++i, bgr += 3) {
            const std::uint32_t key = std::uint32_t(bgr[0]) << 16 | std::uint32_t(bgr[1]) << 8 | bgr[2];
            if (key != keys[0]) {
                if (key == keys[1]) {
                    std::swap(keys[0], keys[1]);
                    std::swap(indexes[0], indexes[1]);
                } else {
                    keys[1] = keys[0];
                    indexes[1] = indexes[0];
                    keys[0] = key;
                    indexes[0] = matcher->Nearest(bgr[0], bgr[1], bgr[2]);
                }
            }
            PutIndex(row, bitmap.PixelFormat(), x + i, indexes[0]);
        }
        return;
    }
    }
}
