#include "platform/dib_section.h"

#include "image/bmp_reader.h"

#include <cstring>
#include <memory>
#include <vector>

HBITMAP CreateDIBSection(const BITMAPINFOHEADER* header, uint8_t** bits) {
    if (bits) *bits = nullptr;
    if (!header || header->biSize < sizeof(BITMAPINFOHEADER) || header->biCompression != BI_RGB) return nullptr;
    if (header->biWidth <= 0 || header->biHeight == 0 || header->biHeight == INT32_MIN) return nullptr;
    TPixelFormat format;
    switch (header->biBitCount) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 24: format = pf24bit; break;
    default: return nullptr;
    }
    int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    auto bitmap = std::make_unique<TBitmap>();
    if (!bitmap->TryReset(header->biWidth, height, format)) return nullptr;
    if (format != pf24bit) {
        uint32_t entries = 1u << header->biBitCount;
        uint32_t used = header->biClrUsed == 0 || header->biClrUsed > entries ? entries : header->biClrUsed;
        const auto* quads = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(header) + header->biSize);
        std::vector<TColor> table(used);
        for (uint32_t i = 0; i < used; ++i) table[i] = RGBColor(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue);
        bitmap->SetColorTable(table);
    }
    if (bits) *bits = bitmap->ScanLine(0);
    return bitmap.release();
}

bool GetObject(HBITMAP bitmap, BITMAP& record) {
    if (!bitmap) return false;
    record.bmWidth = bitmap->Width();
    record.bmHeight = bitmap->Height();
    record.bmWidthBytes = static_cast<int32_t>(bitmap->RowBytes());
    record.bmBitsPixel = static_cast<uint16_t>(BitsPerPixel(bitmap->PixelFormat()));
    record.bmBits = bitmap->ScanLine(0);
    return true;
}

bool DeleteObject(HBITMAP bitmap) {
    delete bitmap;
    return bitmap != nullptr;
}

HBITMAP CreateDIBitmap(const uint8_t* packedDib, std::size_t size) {
    if (!packedDib || size < sizeof(BITMAPCOREHEADER)) return nullptr;
    // A file header in front makes the packed DIB a BMP file for the reader;
    // the pixels start after the header and its colour table.
    uint32_t headerSize;
    std::memcpy(&headerSize, packedDib, 4);
    if (headerSize > size) return nullptr;
    uint32_t colours = 0, entrySize = 4, bitCount = 0;
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core;
        std::memcpy(&core, packedDib, sizeof core);
        bitCount = core.bcBitCount;
        entrySize = 3;
    } else if (headerSize >= sizeof(BITMAPINFOHEADER)) {
        BITMAPINFOHEADER info;
        std::memcpy(&info, packedDib, sizeof info);
        bitCount = info.biBitCount;
        colours = info.biClrUsed;
    } else {
        return nullptr;
    }
    if (colours == 0) colours = bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
    uint64_t offset = 14ull + headerSize + uint64_t(colours) * entrySize;
    std::vector<uint8_t> file(14 + size);
    file[0] = 'B';
    file[1] = 'M';
    uint32_t fileSize = static_cast<uint32_t>(file.size()), pixelOffset = static_cast<uint32_t>(offset);
    std::memcpy(&file[2], &fileSize, 4);
    std::memcpy(&file[10], &pixelOffset, 4);
    std::memcpy(&file[14], packedDib, size);
    auto bitmap = std::make_unique<TBitmap>();
    if (!ReadBmp(file.data(), file.size(), *bitmap) || !bitmap->TrySetPixelFormat(pf32bit)) return nullptr;
    return bitmap.release();
}
