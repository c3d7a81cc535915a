#include "image/color_tables.h"

#include <limits>

namespace {

constexpr int CubeStep = 51;
constexpr int CubeGreyCount = 40;

std::vector<TColor> MakeStandard256()
{
    std::vector<TColor> table;
    table.reserve(256);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                table.push_back(RGBColor(r * CubeStep, g * CubeStep, b * CubeStep));
    for (int k = 1; k <= CubeGreyCount; ++k) {
        const auto v = std::uint8_t((k * 255 + (CubeGreyCount + 1) / 2) / (CubeGreyCount + 1));
        table.push_back(RGBColor(v, v, v));
    }
    return table;
}

int Distance(TColor c, int blue, int green, int red)
{
    const int dr = int(c & 0xFF) - red;
    const int dg = int((c >> 8) & 0xFF) - green;
    const int db = int((c >> 16) & 0xFF) - blue;
    return dr * dr + dg * dg + db * db;
}

// For every sum of the three channels, the grey entry of the 256-colour table
// nearest to any colour with that sum (the distance to a grey v depends on the
// colour only through the sum once the colour itself is fixed).
struct TGreyIndex {
    std::array<std::uint8_t, 766> BySum{};
    TGreyIndex()
    {
        const auto& table = StandardColorTable256();
        for (int s = 0; s <= 765; ++s) {
            long best = std::numeric_limits<long>::max();
            for (int i = 0; i < 256; ++i) {
                const TColor c = table[i];
                const int r = c & 0xFF;
                if (r != int((c >> 8) & 0xFF) || r != int((c >> 16) & 0xFF))
                    continue;
                const long cost = 3L * r * r - 2L * r * s;  // the distance less what does not depend on r
                if (cost < best) {
                    best = cost;
                    BySum[s] = std::uint8_t(i);
                }
            }
        }
    }
};

}  // namespace

const std::vector<TColor>& MonochromeColorTable()
{
    static const std::vector<TColor> table = {clBlack, clWhite};
    return table;
}

const std::vector<TColor>& SixteenColorTable()
{
    static const std::vector<TColor> table = {
        RGBColor(0x00, 0x00, 0x00), RGBColor(0x80, 0x00, 0x00), RGBColor(0x00, 0x80, 0x00), RGBColor(0x80, 0x80, 0x00),
        RGBColor(0x00, 0x00, 0x80), RGBColor(0x80, 0x00, 0x80), RGBColor(0x00, 0x80, 0x80), RGBColor(0x80, 0x80, 0x80),
        RGBColor(0xC0, 0xC0, 0xC0), RGBColor(0xFF, 0x00, 0x00), RGBColor(0x00, 0xFF, 0x00), RGBColor(0xFF, 0xFF, 0x00),
        RGBColor(0x00, 0x00, 0xFF), RGBColor(0xFF, 0x00, 0xFF), RGBColor(0x00, 0xFF, 0xFF), RGBColor(0xFF, 0xFF, 0xFF),
    };
    return table;
}

const std::vector<TColor>& StandardColorTable256()
{
    static const std::vector<TColor> table = MakeStandard256();
    return table;
}

TColorMatcher::TColorMatcher(const std::vector<TColor>& table)
    : Table(table), IsStandard256(table == StandardColorTable256())
{
    if (!IsStandard256) {
        CacheKeys.assign(CacheSize, 0);
        CacheValues.assign(CacheSize, 0);
    }
}

std::uint8_t TColorMatcher::Nearest(std::uint8_t blue, std::uint8_t green, std::uint8_t red)
{
    if (IsStandard256)
        return NearestInStandard256(blue, green, red);
    const std::uint32_t key = (std::uint32_t(blue) << 16 | std::uint32_t(green) << 8 | red) + 1;
    const std::size_t slot = (key * 2654435761u) >> 20 & (CacheSize - 1);
    if (CacheKeys[slot] != key) {
        CacheKeys[slot] = key;
        CacheValues[slot] = Search(blue, green, red);
    }
    return CacheValues[slot];
}

std::uint8_t TColorMatcher::Search(std::uint8_t blue, std::uint8_t green, std::uint8_t red) const
{
    int best = std::numeric_limits<int>::max();
    std::uint8_t bestIndex = 0;
    const std::size_t count = Table.size() < 256 ? Table.size() : 256;
    for (std::size_t i = 0; i < count; ++i) {
        const int d = Distance(Table[i], blue, green, red);
        if (d < best) {
            best = d;
            bestIndex = std::uint8_t(i);
            if (d == 0)
                break;
        }
    }
    return bestIndex;
}

std::uint8_t TColorMatcher::NearestInStandard256(std::uint8_t blue, std::uint8_t green, std::uint8_t red) const
{
    static const TGreyIndex greys;
    // The cube is a grid, so its nearest point is the nearest level per channel
    // (51 is odd: no channel value lies halfway between two levels).
    const int r = (red + CubeStep / 2) / CubeStep;
    const int g = (green + CubeStep / 2) / CubeStep;
    const int b = (blue + CubeStep / 2) / CubeStep;
    const int cubeIndex = 36 * r + 6 * g + b;
    const int greyIndex = greys.BySum[red + green + blue];
    const auto& table = StandardColorTable256();
    const int cubeDistance = Distance(table[cubeIndex], blue, green, red);
    const int greyDistance = Distance(table[greyIndex], blue, green, red);
    if (greyDistance < cubeDistance || (greyDistance == cubeDistance && greyIndex < cubeIndex))
        return std::uint8_t(greyIndex);
    return std::uint8_t(cubeIndex);
}
