#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The geometry of every page the service sends: ISO A4 at fax "fine"
// resolution, 1728 pixels across (215 mm at 204 dpi), 2292 rows (297 mm at
// 196 dpi).
constexpr int FaxPageWidth = 1728;
constexpr int FaxPageHeight = 2292;
constexpr double FaxXDpi = 204.0;
constexpr double FaxYDpi = 196.0;

// One bilevel fax page: rows of packed bits, most significant bit first,
// a set bit is black (ink).
struct TFaxPage {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Bits;

    TFaxPage() = default;
    TFaxPage(int width, int height)
        : Width(width), Height(height), Bits(static_cast<size_t>(RowBytesFor(width)) * height, 0) {}

    static int RowBytesFor(int width) { return (width + 7) / 8; }
    int RowBytes() const { return RowBytesFor(Width); }
    uint8_t* Row(int y) { return Bits.data() + static_cast<size_t>(y) * RowBytes(); }
    const uint8_t* Row(int y) const { return Bits.data() + static_cast<size_t>(y) * RowBytes(); }

    bool Black(int x, int y) const { return (Row(y)[x >> 3] >> (7 - (x & 7))) & 1; }
    void SetBlack(int x, int y) { Row(y)[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7)); }

    // Black pixels inside the rectangle [x0, x1) x [y0, y1), clipped to the page.
    long CountBlack(int x0, int y0, int x1, int y1) const;
    long CountBlack() const { return CountBlack(0, 0, Width, Height); }

    bool operator==(const TFaxPage& other) const = default;
};

// An empty (white) A4 fax page.
inline TFaxPage MakeBlankFaxPage() { return TFaxPage(FaxPageWidth, FaxPageHeight); }
