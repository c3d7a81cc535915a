#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/bitmap.h"

// The most rows a decoder hands over at once.
constexpr int JpegBandRows = 16;

// Where a decoder puts the picture, a band of rows at a time: Begin learns the
// size (false refuses the picture), Place gives the decoder room for rows
// [first, first + count) as 24-bit blue-green-red rows, Filled says those rows
// now hold the picture. None of them may raise.
class TRowSink {
public:
    virtual bool Begin(int width, int height) noexcept = 0;
    virtual void Place(int first, int count, std::uint8_t** rows) noexcept = 0;
    virtual void Filled(int first, int count) noexcept = 0;

protected:
    ~TRowSink() = default;
};

// Decodes a JPEG (colour, greyscale, CMYK or YCCK) at full size through
// libjpeg, top row first. Decoder errors are caught; warnings (a file cut short,
// say) are not errors, so the picture comes out as far as it could be decoded.
// A picture of more than maxPixels is refused before it is decoded.
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, TRowSink& sink,
                std::uint64_t maxPixels = MaxBitmapPixels);

// Decodes into a 24-bit bitmap. On false the bitmap is left as it was.
bool ReadJpeg(const std::uint8_t* data, std::size_t size, TBitmap& bitmap,
              std::uint64_t maxPixels = MaxBitmapPixels);

bool LoadJpegFile(const std::string& path, TBitmap& bitmap);
