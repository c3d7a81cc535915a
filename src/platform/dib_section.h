#pragma once

#include "image/bitmap.h"

#include <cstdint>

// Device-independent bitmaps over TBitmap: a bitmap handle is a TBitmap made
// here and released with DeleteObject. Unlike the bottom-up memory of a
// stored DIB, the pixel memory is top-down: row y from the top starts at
// bmBits + y × bmWidthBytes.
using HBITMAP = TBitmap*;

#pragma pack(push, 2)
struct BITMAPINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
struct BITMAPCOREHEADER {
    uint32_t bcSize;
    uint16_t bcWidth;
    uint16_t bcHeight;
    uint16_t bcPlanes;
    uint16_t bcBitCount;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(BITMAPCOREHEADER) == 12);

struct RGBQUAD {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};

struct BITMAP {
    int32_t bmWidth = 0;
    int32_t bmHeight = 0;
    int32_t bmWidthBytes = 0;
    uint16_t bmBitsPixel = 0;
    uint8_t* bmBits = nullptr;
};

constexpr uint32_t BI_RGB = 0;

// A bitmap of the header's size and depth (1, 4, 8 or 24 bits, uncompressed)
// with the colour table that follows the header (biClrUsed entries, or the
// depth's full count when 0), every pixel index 0. Null when the header asks
// for anything else or the memory cannot be had.
HBITMAP CreateDIBSection(const BITMAPINFOHEADER* header, uint8_t** bits);

// The size, depth and pixel memory of a bitmap; false for a null handle.
bool GetObject(HBITMAP bitmap, BITMAP& record);

bool DeleteObject(HBITMAP bitmap);

// A bitmap in the display's format (32-bit) made from a packed DIB: the
// header, its colour table and the pixels. Null when the DIB cannot be read.
HBITMAP CreateDIBitmap(const uint8_t* packedDib, std::size_t size);
