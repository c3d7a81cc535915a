#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "image/color.h"

// The colour tables a bitmap gets when its depth is changed, and the search for
// the nearest entry of a table.

// 2 entries: black, white.
const std::vector<TColor>& MonochromeColorTable();
// The 16 colours, dark grey 808080 at 7 and light grey C0C0C0 at 8.
const std::vector<TColor>& SixteenColorTable();
// 256 entries: a 6 × 6 × 6 colour cube (levels 0, 51, … 255; index =
// 36 × red level + 6 × green level + blue level) followed by 40 greys that lie
// between the cube's own greys.
const std::vector<TColor>& StandardColorTable256();

// Finds the nearest entry of a colour table by the squared distance in
// red-green-blue; of equally near entries the first. The 256-colour table is
// answered directly from its structure, any other table by search behind a
// small cache.
class TColorMatcher {
public:
    explicit TColorMatcher(const std::vector<TColor>& table);

    std::uint8_t Nearest(std::uint8_t blue, std::uint8_t green, std::uint8_t red);

private:
    std::uint8_t Search(std::uint8_t blue, std::uint8_t green, std::uint8_t red) const;
    std::uint8_t NearestInStandard256(std::uint8_t blue, std::uint8_t green, std::uint8_t red) const;

    std::vector<TColor> Table;
    bool IsStandard256 = false;
    static constexpr std::size_t CacheSize = 4096;
    std::vector<std::uint32_t> CacheKeys;  // colour + 1, so that 0 means empty
    std::vector<std::uint8_t> CacheValues;
};
