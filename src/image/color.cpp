#include "image/color.h"

#include <array>

namespace {

// The standard desktop scheme, by system colour index, as red-green-blue.
constexpr std::array<TColor, 31> SystemColors = {
    RGBColor(0xD4, 0xD0, 0xC8),  // scroll bar
    RGBColor(0x3A, 0x6E, 0xA5),  // desktop
    RGBColor(0x0A, 0x24, 0x6A),  // active caption
    RGBColor(0x80, 0x80, 0x80),  // inactive caption
    RGBColor(0xD4, 0xD0, 0xC8),  // menu
    RGBColor(0xFF, 0xFF, 0xFF),  // window
    RGBColor(0x00, 0x00, 0x00),  // window frame
    RGBColor(0x00, 0x00, 0x00),  // menu text
    RGBColor(0x00, 0x00, 0x00),  // window text
    RGBColor(0xFF, 0xFF, 0xFF),  // caption text
    RGBColor(0xD4, 0xD0, 0xC8),  // active border
    RGBColor(0xD4, 0xD0, 0xC8),  // inactive border
    RGBColor(0x80, 0x80, 0x80),  // application workspace
    RGBColor(0x0A, 0x24, 0x6A),  // highlight
    RGBColor(0xFF, 0xFF, 0xFF),  // highlight text
    RGBColor(0xD4, 0xD0, 0xC8),  // button face
    RGBColor(0x80, 0x80, 0x80),  // button shadow
    RGBColor(0x80, 0x80, 0x80),  // grey text
    RGBColor(0x00, 0x00, 0x00),  // button text
    RGBColor(0xD4, 0xD0, 0xC8),  // inactive caption text
    RGBColor(0xFF, 0xFF, 0xFF),  // button highlight
    RGBColor(0x40, 0x40, 0x40),  // 3D dark shadow
    RGBColor(0xD4, 0xD0, 0xC8),  // 3D light
    RGBColor(0x00, 0x00, 0x00),  // tooltip text
    RGBColor(0xFF, 0xFF, 0xE1),  // tooltip background
    RGBColor(0xB5, 0xB5, 0xB5),  // (unused)
    RGBColor(0x00, 0x00, 0x80),  // hot-tracked item
    RGBColor(0xA6, 0xCA, 0xF0),  // active caption gradient
    RGBColor(0xC0, 0xC0, 0xC0),  // inactive caption gradient
    RGBColor(0x31, 0x6A, 0xC5),  // menu highlight
    RGBColor(0xEC, 0xE9, 0xD8),  // menu bar
};

}  // namespace

TColor ColorToRGB(TColor color)
{
    if ((color & 0xFF000000) == clSystemColor) {
        const TColor index = color & 0xFF;
        return index < SystemColors.size() ? SystemColors[index] : clBlack;
    }
    return color & 0xFFFFFF;
}

TColorBytes SplitColor(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb)};
}
