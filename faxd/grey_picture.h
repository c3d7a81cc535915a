#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A decoded picture in grey levels, 0 black to 255 white, one byte per pixel.
// BiLevel marks a picture that was one bit deep at its source: it is scaled
// without blur and never dithered.
struct TGreyPicture {
    int Width = 0;
    int Height = 0;
    bool BiLevel = false;
    std::vector<uint8_t> Pixels;

    uint8_t* Row(int y) { return Pixels.data() + static_cast<size_t>(y) * Width; }
    const uint8_t* Row(int y) const { return Pixels.data() + static_cast<size_t>(y) * Width; }
};

// The largest picture the readers decode: about a 600 dpi A3 scan. Bigger
// declared sizes are refused before any pixel memory is taken. (The fuzzing
// build lowers the limit so that each input costs little.)
#ifndef PELMOR_MAX_PICTURE_PIXELS
#define PELMOR_MAX_PICTURE_PIXELS 72'000'000
#endif
constexpr long long MaxPicturePixels = PELMOR_MAX_PICTURE_PIXELS;
constexpr long long MaxPictureSide = 32000;

// Checks a declared size and makes room for the pixels; false with an error
// such as "picture too large (100000 x 100000)" otherwise.
bool AllocatePicture(TGreyPicture& picture, long long width, long long height, std::string& error);

// The grey level of a colour (ITU-R BT.601 weights).
inline uint8_t GreyOf(unsigned red, unsigned green, unsigned blue)
{
    return static_cast<uint8_t>((red * 299 + green * 587 + blue * 114 + 500) / 1000);
}

// A colour with coverage alpha (0..255) laid over white paper.
inline uint8_t OverWhite(uint8_t grey, unsigned alpha)
{
    return static_cast<uint8_t>((grey * alpha + 255 * (255 - alpha) + 127) / 255);
}
