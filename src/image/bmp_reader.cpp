#include "image/bmp_reader.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "image/picture_file.h"
#include "image/pixel_rows.h"

namespace {

enum TBmpCompression : std::uint32_t { bcRgb = 0, bcRle8 = 1, bcRle4 = 2, bcBitFields = 3, bcAlphaBitFields = 6 };

std::uint32_t Get16(const std::uint8_t* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
std::uint32_t Get32(const std::uint8_t* p) { return Get16(p) | Get16(p + 2) << 16; }

// What the headers say, checked.
struct THeader {
    std::int64_t Width = 0;
    std::int64_t Height = 0;
    bool TopDown = false;
    int Bits = 0;
    std::uint32_t Compression = bcRgb;
    std::uint32_t Masks[3] = {0, 0, 0};  // red, green, blue
    std::vector<TColor> Table;
    std::size_t PixelOffset = 0;
};

// One channel of a bit-field pixel.
struct TChannel {
    int Shift = 0;
    std::uint32_t Max = 0;
    std::uint32_t Mask = 0;
    bool Set(std::uint32_t mask)
    {
        Mask = mask;
        if (mask == 0)
            return true;
        Shift = std::countr_zero(mask);
        const std::uint32_t bits = mask >> Shift;
        if ((bits & (bits + 1)) != 0)  // not one run of bits
            return false;
        Max = bits;
        return true;
    }
    std::uint8_t operator()(std::uint32_t pixel) const
    {
        if (Max == 0)
            return 0;
        const std::uint64_t v = (pixel & Mask) >> Shift;
        return std::uint8_t((v * 255 + Max / 2) / Max);
    }
};

bool ReadHeader(const std::uint8_t* data, std::size_t size, std::uint64_t maxPixels, THeader& h)
{
    if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M')
        return false;
    const std::uint32_t offBits = Get32(data + 10);
    const std::uint32_t headerSize = Get32(data + 14);
    const std::uint8_t* info = data + 14;
    const bool core = headerSize == 12;
    if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 64 && headerSize != 108 &&
        headerSize != 124)
        return false;
    if (std::uint64_t(14) + headerSize > size)
        return false;

    std::size_t tableStart = 14 + headerSize;
    std::uint32_t colorsUsed = 0;
    if (core) {
        h.Width = Get16(info + 4);
        h.Height = Get16(info + 6);
        h.Bits = int(Get16(info + 10));
    } else {
        h.Width = std::int32_t(Get32(info + 4));
        const std::int32_t height = std::int32_t(Get32(info + 8));
        h.Bits = int(Get16(info + 14));
        h.Compression = Get32(info + 16);
        colorsUsed = Get32(info + 32);
        if (height == INT32_MIN)
            return false;
        h.TopDown = height < 0;
        h.Height = height < 0 ? -std::int64_t(height) : height;
    }
    if (h.Width < 0 || std::uint64_t(h.Width) * std::uint64_t(h.Height) > maxPixels ||
        std::uint64_t(std::max(h.Width, h.Height)) > maxPixels)
        return false;

    switch (h.Compression) {
    case bcRgb:
        if (h.Bits != 1 && h.Bits != 4 && h.Bits != 8 && h.Bits != 16 && h.Bits != 24 && h.Bits != 32)
            return false;
        if (core && h.Bits != 1 && h.Bits != 4 && h.Bits != 8 && h.Bits != 24)
            return false;
        break;
    case bcRle8:
        if (h.Bits != 8)
            return false;
        break;
    case bcRle4:
        if (h.Bits != 4)
            return false;
        break;
    case bcBitFields:
    case bcAlphaBitFields:
        // OS/2's 64-byte header gives these numbers other meanings.
        if ((h.Bits != 16 && h.Bits != 32) || headerSize == 64)
            return false;
        break;
    default:
        return false;
    }

    if (h.Compression == bcBitFields || h.Compression == bcAlphaBitFields) {
        const std::uint8_t* masks = info + 40;
        if (headerSize == 40) {
            // The masks follow the header.
            tableStart += h.Compression == bcAlphaBitFields ? 16 : 12;
            if (tableStart > size)
                return false;
        }
        for (int i = 0; i < 3; ++i)
            h.Masks[i] = Get32(masks + 4 * i);
    } else if (h.Bits == 16) {
        h.Masks[0] = 0x7C00;
        h.Masks[1] = 0x03E0;
        h.Masks[2] = 0x001F;
    } else if (h.Bits == 32) {
        h.Masks[0] = 0x00FF0000;
        h.Masks[1] = 0x0000FF00;
        h.Masks[2] = 0x000000FF;
    }
    if (h.Bits == 16)
        for (std::uint32_t m : h.Masks)
            if (m > 0xFFFF)
                return false;

    std::size_t tableEnd = tableStart;
    if (h.Bits <= 8) {
        const std::size_t full = std::size_t(1) << h.Bits;
        const std::size_t entryBytes = core ? 3 : 4;
        std::size_t count = colorsUsed != 0 ? std::min<std::size_t>(full, colorsUsed) : full;
        // Some writers store a shorter table than they declare; the pixel
        // offset tells.
        if (offBits >= tableStart && offBits < size)
            count = std::min(count, (offBits - tableStart) / entryBytes);
        if (tableStart + count * entryBytes > size)
            return false;
        h.Table.assign(full, clBlack);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* e = data + tableStart + i * entryBytes;
            h.Table[i] = RGBColor(e[2], e[1], e[0]);
        }
        tableEnd = tableStart + count * entryBytes;
    }
    h.PixelOffset = offBits >= tableEnd && offBits < size ? offBits : tableEnd;
    return true;
}

TPixelFormat FormatOf(int bits)
{
    switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 32: return pf32bit;
    default: return pf24bit;
    }
}

bool ReadUncompressed(const std::uint8_t* data, std::size_t size, const THeader& h, TBitmap& bitmap)
{
    const int width = int(h.Width), height = int(h.Height);
    const std::size_t stride = std::size_t((std::uint64_t(h.Width) * std::uint64_t(h.Bits) + 31) / 32 * 4);
    const std::size_t used = std::size_t((std::uint64_t(h.Width) * std::uint64_t(h.Bits) + 7) / 8);
    // The last row's padding may be missing.
    if (height > 0 && std::uint64_t(h.PixelOffset) + std::uint64_t(stride) * std::uint64_t(height - 1) + used > size)
        return false;
    const bool standard32 = h.Bits == 32 && h.Masks[0] == 0x00FF0000 && h.Masks[1] == 0x0000FF00 && h.Masks[2] == 0xFF;
    TChannel red, green, blue;
    if (!red.Set(h.Masks[0]) || !green.Set(h.Masks[1]) || !blue.Set(h.Masks[2]))
        return false;
    for (int row = 0; used > 0 && row < height; ++row) {
        const std::uint8_t* in = data + h.PixelOffset + std::size_t(row) * stride;
        std::uint8_t* out = bitmap.ScanLine(h.TopDown ? row : height - 1 - row);
        if (h.Bits <= 8 || h.Bits == 24) {
            std::memcpy(out, in, used);
        } else if (standard32) {
            for (int x = 0; x < width; ++x, in += 4, out += 4) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
                out[3] = 0;
            }
        } else {
            const int step = h.Bits / 8;
            const int outStep = h.Bits == 32 ? 4 : 3;
            for (int x = 0; x < width; ++x, in += step, out += outStep) {
                const std::uint32_t pixel = step == 2 ? Get16(in) : Get32(in);
                out[0] = blue(pixel);
                out[1] = green(pixel);
                out[2] = red(pixel);
            }
        }
    }
    return true;
}

// RLE8 and RLE4: runs of one index (two alternating indexes for RLE4),
// escapes for end of row, end of picture, a jump and literal runs. Pixels the
// stream never reaches stay index 0; a stream that stops early gives the
// picture as far as it goes.
void ReadRunLength(const std::uint8_t* data, std::size_t size, const THeader& h, TBitmap& bitmap)
{
    const bool rle4 = h.Compression == bcRle4;
    const TPixelFormat format = bitmap.PixelFormat();
    const std::int64_t width = h.Width, height = h.Height;
    std::int64_t x = 0, y = 0;
    auto put = [&](std::uint8_t index) {
        if (x < width && y < height)
            PutIndex(bitmap.ScanLine(int(h.TopDown ? y : height - 1 - y)), format, int(x), index);
        ++x;
    };
    std::size_t pos = h.PixelOffset;
    while (pos + 1 < size && y < height) {
        const std::uint8_t count = data[pos], value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            if (x >= width) {
                x += count;
                continue;
            }
            for (int i = 0; i < count; ++i)
                put(rle4 ? std::uint8_t(i & 1 ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (pos + 1 >= size)
                return;
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
        } else {
            const std::size_t bytes = rle4 ? (std::size_t(value) + 1) / 2 : value;
            if (pos + bytes > size)
                return;
            for (int i = 0; i < value; ++i) {
                const std::uint8_t b = data[pos + (rle4 ? i / 2 : i)];
                put(rle4 ? std::uint8_t(i & 1 ? b & 0x0F : b >> 4) : b);
            }
            pos += (bytes + 1) & ~std::size_t(1);
        }
    }
}

}  // namespace

bool ReadBmp(const std::uint8_t* data, std::size_t size, TBitmap& bitmap, std::uint64_t maxPixels)
{
    THeader h;
    if (!ReadHeader(data, size, maxPixels, h))
        return false;
    TBitmap result;
    if (!result.TryReset(int(h.Width), int(h.Height), FormatOf(h.Bits)))
        return false;
    try {
        if (!h.Table.empty())
            result.SetColorTable(h.Table);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (h.Compression == bcRle8 || h.Compression == bcRle4)
        ReadRunLength(data, size, h, result);
    else if (!ReadUncompressed(data, size, h, result))
        return false;
    bitmap = std::move(result);
    return true;
}

bool LoadBmpFile(const std::string& path, TBitmap& bitmap)
{
    std::vector<std::uint8_t> bytes;
    return ReadPictureBytes(path, bytes) && ReadBmp(bytes.data(), bytes.size(), bitmap);
}
