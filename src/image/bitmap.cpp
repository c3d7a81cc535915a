#include "image/bitmap.h"

#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "image/bitmap_error.h"
#include "image/color_tables.h"
#include "image/pixel_rows.h"

int BitsPerPixel(TPixelFormat format)
{
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf24bit: return 24;
    case pf32bit: return 32;
    }
    return 32;
}

const std::vector<TColor>& StandardColorTable(TPixelFormat format)
{
    static const std::vector<TColor> none;
    switch (format) {
    case pf1bit: return MonochromeColorTable();
    case pf4bit: return SixteenColorTable();
    case pf8bit: return StandardColorTable256();
    default: return none;
    }
}

namespace {

// Copies every pixel of source into the same-sized target, converting depth.
void ConvertPixels(const TBitmap& source, TBitmap& target)
{
    const int width = source.Width();
    if (source.Empty())
        return;
    if (source.PixelFormat() == target.PixelFormat() && source.ColorTable() == target.ColorTable()) {
        for (int y = 0; y < source.Height(); ++y)
            std::memcpy(target.ScanLine(y), source.ScanLine(y), source.RowBytes());
        return;
    }
    TColorMatcher matcher(target.ColorTable());
    std::vector<std::uint8_t> bgr(std::size_t(width) * 3);
    for (int y = 0; y < source.Height(); ++y) {
        ReadRowBgr(source, y, 0, width, bgr.data());
        WriteRowBgr(target, y, 0, width, bgr.data(), &matcher);
    }
}

}  // namespace

TBitmap::TBitmap(const TBitmap& other)
{
    Assign(other);
}

TBitmap& TBitmap::operator=(const TBitmap& other)
{
    if (this != &other)
        Assign(other);
    return *this;
}

TBitmap::TBitmap(TBitmap&& other) noexcept
{
    *this = std::move(other);
}

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept
{
    if (this != &other) {
        FWidth = std::exchange(other.FWidth, 0);
        FHeight = std::exchange(other.FHeight, 0);
        FFormat = std::exchange(other.FFormat, pf32bit);
        FRowBytes = std::exchange(other.FRowBytes, 0);
        FPixels = std::move(other.FPixels);
        FColorTable = std::move(other.FColorTable);
        other.FColorTable.clear();
    }
    return *this;
}

bool TBitmap::Allocate(int width, int height, TPixelFormat format, TPixels& pixels, std::size_t& rowBytes) noexcept
{
    if (width < 0 || height < 0 || std::uint64_t(width) * std::uint64_t(height) > MaxBitmapPixels)
        return false;
    const std::uint64_t bits = std::uint64_t(width) * std::uint64_t(BitsPerPixel(format));
    rowBytes = std::size_t((bits + 31) / 32 * 4);
    const std::uint64_t total = std::uint64_t(rowBytes) * std::uint64_t(height);
    if (total > std::numeric_limits<std::size_t>::max())
        return false;
    return pixels.Allocate(std::size_t(total));
}

void TBitmap::TakeOver(int width, int height, TPixelFormat format, TPixels pixels, std::size_t rowBytes,
                       std::vector<TColor> table) noexcept
{
    FWidth = width;
    FHeight = height;
    FFormat = format;
    FRowBytes = rowBytes;
    FPixels = std::move(pixels);
    FColorTable = std::move(table);
}

bool TBitmap::TrySetSize(int width, int height) noexcept
{
    return TryReset(width, height, FFormat);
}

void TBitmap::SetSize(int width, int height)
{
    if (!TrySetSize(width, height))
        throw TBitmapError("picture too large or out of memory");
}

bool TBitmap::TryReset(int width, int height, TPixelFormat format) noexcept
{
    try {
        TPixels pixels;
        std::size_t rowBytes = 0;
        if (!Allocate(width, height, format, pixels, rowBytes))
            return false;
        // Keep a table the bitmap already has at this depth (a stored picture's).
        std::vector<TColor> table = format == FFormat && !FColorTable.empty() ? FColorTable : StandardColorTable(format);
        TakeOver(width, height, format, std::move(pixels), rowBytes, std::move(table));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool TBitmap::TrySetPixelFormat(TPixelFormat format) noexcept
{
    if (format == FFormat)
        return true;
    try {
        TBitmap target;
        target.FFormat = format;
        if (!target.TryReset(FWidth, FHeight, format))
            return false;
        ConvertPixels(*this, target);
        *this = std::move(target);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (!TrySetPixelFormat(format))
        throw TBitmapError("out of memory while changing the depth");
}

void TBitmap::SetColorTable(const std::vector<TColor>& table)
{
    if (FFormat == pf24bit || FFormat == pf32bit)
        return;
    std::vector<TColor> full(std::size_t(1) << BitsPerPixel(FFormat), clBlack);
    for (std::size_t i = 0; i < full.size() && i < table.size(); ++i)
        full[i] = ColorToRGB(table[i]);
    FColorTable = std::move(full);
}

bool TBitmap::TryAssign(const TBitmap& other) noexcept
{
    if (this == &other)
        return true;
    try {
        TPixels pixels;
        std::size_t rowBytes = 0;
        if (!Allocate(other.FWidth, other.FHeight, other.FFormat, pixels, rowBytes))
            return false;
        if (pixels)
            std::memcpy(pixels.Data(), other.FPixels.Data(), rowBytes * std::size_t(other.FHeight));
        std::vector<TColor> table = other.FColorTable;
        TakeOver(other.FWidth, other.FHeight, other.FFormat, std::move(pixels), rowBytes, std::move(table));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void TBitmap::Assign(const TBitmap& other)
{
    if (!TryAssign(other))
        throw TBitmapError("out of memory while copying a picture");
}

void TBitmap::SetIndexedPixel(std::uint8_t* row, int x, TColor color)
{
    const TColorBytes c = SplitColor(color);
    int best = std::numeric_limits<int>::max();
    std::uint8_t bestIndex = 0;
    for (std::size_t i = 0; i < FColorTable.size(); ++i) {
        const TColorBytes t = SplitColor(FColorTable[i]);
        const int dr = int(t.Red) - c.Red, dg = int(t.Green) - c.Green, db = int(t.Blue) - c.Blue;
        const int d = dr * dr + dg * dg + db * db;
        if (d < best) {
            best = d;
            bestIndex = std::uint8_t(i);
        }
    }
    PutIndex(row, FFormat, x, bestIndex);
}
