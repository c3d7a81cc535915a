#pragma once

#include <cstdint>

// A colour value: red in bits 0-7, green in 8-15, blue in 16-23. A value whose
// top byte is 0xFF names a system colour (the index is in the low byte) and is
// resolved to its red-green-blue value before it is used.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clSystemColor = 0xFF000000;
constexpr TColor clBtnFace = clSystemColor | 15;
// What a pixel read outside the picture answers.
constexpr TColor clInvalid = 0xFFFFFFFF;

constexpr TColor RGBColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return TColor(red) | (TColor(green) << 8) | (TColor(blue) << 16);
}

// The red-green-blue value of a colour, system colours looked up in the
// standard desktop scheme.
TColor ColorToRGB(TColor color);

struct TColorBytes {
    std::uint8_t Blue = 0;
    std::uint8_t Green = 0;
    std::uint8_t Red = 0;
    bool operator==(const TColorBytes&) const = default;
};

// Resolves the colour to red-green-blue and splits it.
TColorBytes SplitColor(TColor color);

// The grey level of a pixel: 0.114 × blue + 0.587 × green + 0.299 × red.
inline double ColorLuma(std::uint8_t blue, std::uint8_t green, std::uint8_t red)
{
    return 0.114 * blue + 0.587 * green + 0.299 * red;
}
