#include "picture_readers.h"

#include <array>
#include <bit>

namespace {

uint32_t Le32(std::string_view b, size_t at)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8
        | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

uint16_t Le16(std::string_view b, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

// Extracts a channel described by a bit mask and scales it to 0..255.
struct TMaskChannel {
    uint32_t Mask = 0;
    int Shift = 0;
    uint32_t Max = 0;

    explicit TMaskChannel(uint32_t mask) : Mask(mask)
    {
        if (mask) {
            Shift = std::countr_zero(mask);
            Max = mask >> Shift;
        }
    }
    unsigned Of(uint32_t value) const
    {
        if (!Max)
            return 0;
        return static_cast<unsigned>(((value & Mask) >> Shift) * 255 / Max);
    }
};

} // namespace

bool ReadBmpPicture(std::string_view bytes, TGreyPicture& picture, std::string& error)
{
    if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') {
        error = "not a BMP file";
        return false;
    }
    uint32_t dataOffset = Le32(bytes, 10);
    uint32_t headerSize = Le32(bytes, 14);
    bool core = headerSize == 12;
    if (!core && (headerSize < 40 || headerSize > 1024)) {
        error = "unsupported BMP header";
        return false;
    }
    if (bytes.size() < 14 + static_cast<size_t>(headerSize)) {
        error = "truncated BMP header";
        return false;
    }
    long long width, height;
    unsigned bits, compression = 0, coloursUsed = 0;
    if (core) {
        width = Le16(bytes, 18);
        height = static_cast<int16_t>(Le16(bytes, 20));
        bits = Le16(bytes, 24);
    } else {
        width = static_cast<int32_t>(Le32(bytes, 18));
        height = static_cast<int32_t>(Le32(bytes, 22));
        bits = Le16(bytes, 28);
        compression = Le32(bytes, 30);
        coloursUsed = Le32(bytes, 46);
    }
    bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        error = "unsupported BMP depth " + std::to_string(bits);
        return false;
    }
    // 0: plain; 3: bit fields (16 and 32 bits); 6: bit fields with alpha.
    if (compression != 0 && !((compression == 3 || compression == 6) && (bits == 16 || bits == 32))) {
        error = "unsupported BMP compression " + std::to_string(compression);
        return false;
    }

    // The colour table, as grey levels.
    std::array<uint8_t, 256> palette{};
    size_t paletteEntries = 0;
    if (bits <= 8) {
        size_t entrySize = core ? 3 : 4;
        paletteEntries = coloursUsed && coloursUsed <= (1u << bits) ? coloursUsed : (1u << bits);
        size_t at = 14 + headerSize;
        if (at + paletteEntries * entrySize > bytes.size()) {
            error = "truncated BMP colour table";
            return false;
        }
        for (size_t i = 0; i < paletteEntries; ++i) {
            size_t e = at + i * entrySize;
            palette[i] = GreyOf(static_cast<uint8_t>(bytes[e + 2]), static_cast<uint8_t>(bytes[e + 1]),
                                static_cast<uint8_t>(bytes[e]));
        }
    }

    // Masks for 16 and 32 bits.
    uint32_t redMask = 0x7C00, greenMask = 0x03E0, blueMask = 0x001F;
    if (bits == 32) {
        redMask = 0x00FF0000;
        greenMask = 0x0000FF00;
        blueMask = 0x000000FF;
    }
    if (compression == 3 || compression == 6) {
        // The masks follow the 40-byte header, or are part of a longer one.
        if (14 + 40 + 12 > bytes.size()) {
            error = "truncated BMP bit fields";
            return false;
        }
        redMask = Le32(bytes, 54);
        greenMask = Le32(bytes, 58);
        blueMask = Le32(bytes, 62);
    }
    TMaskChannel red(redMask), green(greenMask), blue(blueMask);

    if (width <= 0 || height <= 0) {
        error = "picture has no pixels";
        return false;
    }
    if (width > MaxPictureSide || height > MaxPictureSide || width * height > MaxPicturePixels) {
        error = "picture too large (" + std::to_string(width) + " x " + std::to_string(height) + ")";
        return false;
    }
    size_t stride = static_cast<size_t>((width * bits + 31) / 32 * 4);
    if (dataOffset > bytes.size() || stride * static_cast<size_t>(height) > bytes.size() - dataOffset) {
        error = "truncated BMP pixel data";
        return false;
    }
    if (!AllocatePicture(picture, width, height, error))
        return false;

    picture.BiLevel = bits == 1;
    uint8_t dark = 0, light = 255;
    if (picture.BiLevel) {
        // Two colours whatever they are: the darker is ink.
        bool firstDarker = palette[0] <= palette[1];
        dark = firstDarker ? 0 : 255;
        light = firstDarker ? 255 : 0;
    }
    for (long long y = 0; y < height; ++y) {
        long long sourceRow = topDown ? y : height - 1 - y;
        const auto* row = reinterpret_cast<const uint8_t*>(bytes.data() + dataOffset + stride * sourceRow);
        uint8_t* out = picture.Row(static_cast<int>(y));
        for (long long x = 0; x < width; ++x) {
            switch (bits) {
            case 1:
                out[x] = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? light : dark;
                break;
            case 4: {
                unsigned index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
                out[x] = index < paletteEntries ? palette[index] : 0;
                break;
            }
            case 8:
                out[x] = row[x] < paletteEntries ? palette[row[x]] : 0;
                break;
            case 16: {
                uint32_t v = static_cast<uint32_t>(row[2 * x] | row[2 * x + 1] << 8);
                out[x] = GreyOf(red.Of(v), green.Of(v), blue.Of(v));
                break;
            }
            case 24:
                out[x] = GreyOf(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
                break;
            case 32: {
                const uint8_t* p = row + 4 * x;
                uint32_t v = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
                out[x] = GreyOf(red.Of(v), green.Of(v), blue.Of(v));
                break;
            }
            }
        }
    }
    return true;
}
