#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "image/color.h"
#include "image/pixel_buffer.h"

// Pixel depths. pf32bit is the true-colour format of a fresh working bitmap:
// blue, green, red and an unused byte per pixel.
enum TPixelFormat { pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };

int BitsPerPixel(TPixelFormat format);

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

// The most pixels a bitmap may hold; a larger picture is refused, as is one
// whose memory cannot be had.
constexpr std::uint64_t MaxBitmapPixels = 256ull * 1000 * 1000;

// A raster image. Row 0 is the top row; rows are padded to 4 bytes, so that a
// row is laid out exactly as in a BMP file: 1- and 4-bit pixels from the high
// bits down, 24-bit pixels as blue, green, red. The 1-, 4- and 8-bit depths have
// a colour table of 2, 16 or 256 entries.
//
// The operations that can fail come in two forms: the plain one raises
// TBitmapError, the Try form answers false. Either way a failed operation leaves
// the bitmap as it was.
class TBitmap {
public:
    TBitmap() = default;
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    TBitmap(TBitmap&& other) noexcept;
    TBitmap& operator=(TBitmap&& other) noexcept;
    ~TBitmap() = default;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    TPixelFormat PixelFormat() const { return FFormat; }
    std::size_t RowBytes() const { return FRowBytes; }
    const std::vector<TColor>& ColorTable() const { return FColorTable; }

    // Row y, from the top; null outside the picture.
    std::uint8_t* ScanLine(int y) { return y >= 0 && y < FHeight ? FPixels.Data() + std::size_t(y) * FRowBytes : nullptr; }
    const std::uint8_t* ScanLine(int y) const { return const_cast<TBitmap*>(this)->ScanLine(y); }

    // New size (either may be 0), same depth, every pixel black (index 0).
    void SetSize(int width, int height);
    bool TrySetSize(int width, int height) noexcept;
    // New size and depth at once, every pixel index 0, the standard colour table.
    bool TryReset(int width, int height, TPixelFormat format) noexcept;

    // Changes the depth, each pixel to the nearest colour of the new depth's
    // standard table, without dithering. The same depth changes nothing.
    void SetPixelFormat(TPixelFormat format);
    bool TrySetPixelFormat(TPixelFormat format) noexcept;

    // Replaces the colour table of a 1-, 4- or 8-bit bitmap, keeping the pixel
    // indexes; missing entries become black. For readers of stored pictures.
    void SetColorTable(const std::vector<TColor>& table);

    // Takes over the other's size, depth, colour table and pixels.
    void Assign(const TBitmap& other);
    bool TryAssign(const TBitmap& other) noexcept;

    // Copies source onto this bitmap at (0, 0), pixel for pixel, clipped to both.
    void Draw(const TBitmap& source);
    // Draws source into the target rectangle by nearest-neighbour sampling:
    // rows and columns are dropped or repeated, nothing is averaged.
    void StretchDraw(const TRect& target, const TBitmap& source);
    // Copies sourceRect of source into the same-sized target rectangle.
    void CopyRect(const TRect& target, const TBitmap& source, const TRect& sourceRect);

    // One pixel's colour; clInvalid outside the picture.
    TColor Pixel(int x, int y) const
    {
        if (unsigned(x) >= unsigned(FWidth) || unsigned(y) >= unsigned(FHeight))
            return clInvalid;
        const std::uint8_t* row = FPixels.Data() + std::size_t(y) * FRowBytes;
        if (FFormat == pf24bit || FFormat == pf32bit) {
            const std::uint8_t* p = row + std::size_t(x) * (FFormat == pf24bit ? 3 : 4);
            return RGBColor(p[2], p[1], p[0]);
        }
        return FColorTable[IndexInRow(row, x)];
    }

    // Writes one pixel (the nearest table colour at 1, 4 and 8 bits); a pixel
    // outside the picture is ignored.
    void SetPixel(int x, int y, TColor color)
    {
        if (unsigned(x) >= unsigned(FWidth) || unsigned(y) >= unsigned(FHeight))
            return;
        if ((color & 0xFF000000) != 0)
            color = ColorToRGB(color);
        std::uint8_t* row = FPixels.Data() + std::size_t(y) * FRowBytes;
        if (FFormat == pf32bit) {
            // Blue, green, red, 0 in one aligned word (rows are 4-byte aligned).
            // A word store, unlike byte stores, cannot change the bitmap's own
            // fields, so a loop of pixel writes keeps them in registers.
            const std::uint32_t bgr0 = (color >> 16 & 0xFF) | (color & 0xFF00) | (color & 0xFF) << 16;
            *reinterpret_cast<std::uint32_t*>(row + std::size_t(x) * 4) = bgr0;
            return;
        }
        if (FFormat == pf24bit) {
            std::uint8_t* p = row + std::size_t(x) * 3;
            p[0] = std::uint8_t(color >> 16);
            p[1] = std::uint8_t(color >> 8);
            p[2] = std::uint8_t(color);
            return;
        }
        SetIndexedPixel(row, x, color);
    }

    // Writes an uncompressed Windows BMP at the bitmap's depth, with its colour
    // table. False when the file cannot be written whole.
    bool SaveToFile(const std::string& path) const;

    // The colour-table index of pixel x of a row at 1, 4 or 8 bits.
    std::uint8_t IndexInRow(const std::uint8_t* row, int x) const
    {
        switch (FFormat) {
        case pf1bit: return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case pf4bit: return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        default: return row[x];
        }
    }

private:
    using TPixels = TPixelBuffer;

    static bool Allocate(int width, int height, TPixelFormat format, TPixels& pixels, std::size_t& rowBytes) noexcept;
    void SetIndexedPixel(std::uint8_t* row, int x, TColor color);
    void TakeOver(int width, int height, TPixelFormat format, TPixels pixels, std::size_t rowBytes, std::vector<TColor> table) noexcept;

    int FWidth = 0;
    int FHeight = 0;
    TPixelFormat FFormat = pf32bit;
    std::size_t FRowBytes = 0;
    TPixels FPixels;
    std::vector<TColor> FColorTable;
};

// The standard colour table of a depth (empty for 24 and 32 bits).
const std::vector<TColor>& StandardColorTable(TPixelFormat format);
