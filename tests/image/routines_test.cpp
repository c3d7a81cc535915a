#include <gtest/gtest.h>

#include <cmath>

#include "image/color_tables.h"
#include "image/rotation.h"
#include "image/threshold.h"
#include "image/trim.h"
#include "image/two_colors.h"
#include "picture_maker.h"

namespace {

const TColor Red = RGBColor(255, 0, 0);
const TColor Green = RGBColor(0, 255, 0);
const TColor Blue = RGBColor(0, 0, 255);
const TColor Yellow = RGBColor(255, 255, 0);

TBitmap GreyRow(std::initializer_list<int> greys)
{
    TBitmap b;
    b.TryReset(int(greys.size()), 1, pf24bit);
    int x = 0;
    for (int g : greys)
        b.SetPixel(x++, 0, RGBColor(std::uint8_t(g), std::uint8_t(g), std::uint8_t(g)));
    return b;
}

std::vector<TColor> Row(const TBitmap& b, int y = 0)
{
    std::vector<TColor> out;
    for (int x = 0; x < b.Width(); ++x)
        out.push_back(b.Pixel(x, y));
    return out;
}

}  // namespace

TEST(ColorValues, LumaAndSplit)
{
    // Arguments blue, green, red: each primary at full strength, and white.
    EXPECT_NEAR(ColorLuma(255, 0, 0), 29.07, 1e-9);
    EXPECT_NEAR(ColorLuma(0, 255, 0), 149.685, 1e-9);
    EXPECT_NEAR(ColorLuma(0, 0, 255), 76.245, 1e-9);
    EXPECT_NEAR(ColorLuma(255, 255, 255), 255.0, 1e-9);
    const TColorBytes b = SplitColor(RGBColor(1, 2, 3));
    EXPECT_EQ(b.Red, 1);
    EXPECT_EQ(b.Green, 2);
    EXPECT_EQ(b.Blue, 3);
    EXPECT_EQ(SplitColor(clBtnFace), SplitColor(ColorToRGB(clBtnFace)));
    EXPECT_NE(ColorToRGB(clBtnFace), clBlack);
}

// The grey of a colour shows as the threshold at which it leaves the darkest
// class: two black pixels and the colour, so the colour is always the minority.
TEST(Threshold, GreyLevelsOfPureColours)
{
    for (auto [color, grey] : {std::pair{Red, 76}, std::pair{Green, 150}, std::pair{Blue, 29}, std::pair{clWhite, 255}}) {
        TBitmap below = PictureOf(3, 1, {clBlack, clBlack, color});
        ASSERT_TRUE(ThresholdToTwoColors(below, clWhite, clBlack, std::uint8_t(grey - 1)));
        EXPECT_EQ(below.Pixel(2, 0), clBlack) << std::hex << color;
        TBitmap at = PictureOf(3, 1, {clBlack, clBlack, color});
        ASSERT_TRUE(ThresholdToTwoColors(at, clWhite, clBlack, std::uint8_t(grey)));
        EXPECT_EQ(at.Pixel(2, 0), clWhite) << std::hex << color;
    }
}

TEST(Threshold, FourPixelCasesAtSixty)
{
    TBitmap a = GreyRow({0, 50, 200, 255});
    ASSERT_TRUE(ThresholdToTwoColors(a, clWhite, clBlack, 60));
    EXPECT_EQ(Row(a), (std::vector<TColor>{clWhite, clWhite, clBlack, clBlack})) << "two against two: no swap";

    TBitmap b = GreyRow({0, 200, 200, 255});
    ASSERT_TRUE(ThresholdToTwoColors(b, clWhite, clBlack, 60));
    EXPECT_EQ(Row(b), (std::vector<TColor>{clBlack, clWhite, clWhite, clWhite}));
    EXPECT_EQ(b.PixelFormat(), pf24bit);
}

TEST(Threshold, ExtremesAndUniformPictures)
{
    for (int t : {0, 60, 255}) {
        TBitmap flat = FilledPicture(5, 4, RGBColor(90, 30, 200), pf8bit);
        ASSERT_TRUE(ThresholdToTwoColors(flat, clWhite, clBlack, std::uint8_t(t)));
        for (int y = 0; y < 4; ++y)
            EXPECT_EQ(Row(flat, y), std::vector<TColor>(5, clWhite)) << "threshold " << t;
    }

    TBitmap single = GreyRow({120, 30, 121, 250, 31});
    ASSERT_TRUE(ThresholdToTwoColors(single, clWhite, clBlack, 0));
    EXPECT_EQ(Row(single), (std::vector<TColor>{clWhite, clBlack, clWhite, clWhite, clWhite}));

    TBitmap all = GreyRow({0, 255, 3, 128});
    ASSERT_TRUE(ThresholdToTwoColors(all, clWhite, clBlack, 255));
    EXPECT_EQ(Row(all), std::vector<TColor>(4, clWhite));
}

TEST(Threshold, EqualClassesKeepNearDarkWhite)
{
    TBitmap b = GreyRow({10, 240, 20, 230, 240, 0});
    ASSERT_TRUE(ThresholdToTwoColors(b, clWhite, clBlack, 100));
    EXPECT_EQ(Row(b), (std::vector<TColor>{clWhite, clBlack, clWhite, clBlack, clBlack, clWhite}));
}

TEST(Threshold, MostlyDarkPictureComesOutAsNegativeInOtherColours)
{
    TBitmap b = GreyRow({0, 5, 10, 250});
    ASSERT_TRUE(ThresholdToTwoColors(b, Yellow, Blue, 60));
    EXPECT_EQ(Row(b), (std::vector<TColor>{Yellow, Yellow, Yellow, Blue}));
    TBitmap ink = GreyRow({0, 250, 240, 230});
    ASSERT_TRUE(ThresholdToTwoColors(ink, Yellow, Blue, 60));
    EXPECT_EQ(Row(ink), (std::vector<TColor>{Blue, Yellow, Yellow, Yellow}));
}

TEST(TwoColors, FirstThreeColoursInScanOrder)
{
    TBitmap last = PictureOf(3, 2, {Red, Blue, Red, Blue, Red, Green});
    const TThreeColors c = FindFirstThreeColors(last);
    EXPECT_EQ(c.First, Red);
    EXPECT_EQ(c.Second, Blue);
    EXPECT_EQ(c.Third, Green);

    TBitmap one = FilledPicture(4, 4, Yellow, pf4bit);
    const TThreeColors single = FindFirstThreeColors(one);
    EXPECT_EQ(one.PixelFormat(), pf24bit) << "converted in place";
    EXPECT_EQ(single.First, Yellow);
    EXPECT_EQ(single.Second, Yellow);
    EXPECT_EQ(single.Third, Yellow);

    TBitmap two = PictureOf(2, 2, {Red, Red, Red, Blue});
    const TThreeColors pair = FindFirstThreeColors(two);
    EXPECT_EQ(pair.Second, Blue);
    EXPECT_EQ(pair.Third, Red);

    TBitmap none;
    const TThreeColors empty = FindFirstThreeColors(none);
    EXPECT_EQ(empty.First, empty.Second);
    EXPECT_EQ(empty.First, empty.Third);
}

TEST(TwoColors, NormalizeRedAndBlueEitherOrder)
{
    for (bool redFirst : {true, false}) {
        TBitmap b = PictureOf(3, 1, {Red, Blue, Red});
        NormalizeTwoColors(b, redFirst ? Red : Blue, redFirst ? Blue : Red);
        EXPECT_EQ(Row(b), (std::vector<TColor>{clWhite, clBlack, clWhite})) << redFirst;
    }
}

TEST(TwoColors, EqualLumasMakeColourABlack)
{
    // Two different colours of exactly the same luma.
    const TColor a = RGBColor(100, 100, 100), b = RGBColor(152, 84, 46);
    ASSERT_EQ(ColorLuma(100, 100, 100), ColorLuma(46, 84, 152));
    TBitmap ab = PictureOf(2, 1, {a, b});
    NormalizeTwoColors(ab, a, b);
    EXPECT_EQ(Row(ab), (std::vector<TColor>{clBlack, clWhite}));
    TBitmap ba = PictureOf(2, 1, {a, b});
    NormalizeTwoColors(ba, b, a);
    EXPECT_EQ(Row(ba), (std::vector<TColor>{clWhite, clBlack}));
}

TEST(TwoColors, BlackAndWhiteAreLeftUntouched)
{
    for (bool blackFirst : {true, false}) {
        TBitmap b = PictureOf(3, 1, {clBlack, clWhite, Red});
        NormalizeTwoColors(b, blackFirst ? clBlack : clWhite, blackFirst ? clWhite : clBlack);
        EXPECT_EQ(Row(b), (std::vector<TColor>{clBlack, clWhite, Red}));
    }
}

TEST(Trim, FifteenToTenFromEitherSide)
{
    TBitmap source;
    source.TryReset(15, 3, pf24bit);
    for (int x = 0; x < 15; ++x)
        for (int y = 0; y < 3; ++y)
            source.SetPixel(x, y, RGBColor(std::uint8_t(x), std::uint8_t(y), 9));

    TBitmap left(source);
    TrimBitmapEdge(left, 0, 1, 10);
    ASSERT_EQ(left.Width(), 10);
    EXPECT_EQ(left.Height(), 3);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(left.Pixel(x, 2), source.Pixel(x + 5, 2)) << "rightmost 10 kept";

    TBitmap right(source);
    TrimBitmapEdge(right, 0, 0, 10);
    ASSERT_EQ(right.Width(), 10);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(right.Pixel(x, 1), source.Pixel(x, 1)) << "leftmost 10 kept";

    TBitmap ten(source);
    TrimBitmapEdge(ten, 0, 1, 10);
    TrimBitmapEdge(ten, 0, 1, 10);
    EXPECT_EQ(Row(ten, 0), Row(left, 0)) << "10 wide: unchanged";

    TBitmap negative(source);
    TrimBitmapEdge(negative, 0, 1, -5);
    EXPECT_EQ(negative.Width(), 15);
}

TEST(Trim, ColumnsOffTheLeftOfIndexedPicturesKeepEveryPixelAcrossByteBoundaries)
{
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit}) {
        TBitmap source;
        source.TryReset(23, 2, format);
        const std::vector<TColor>& table = source.ColorTable();
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 23; ++x)
                source.SetPixel(x, y, table[std::size_t(x * 5 + y) % table.size()]);
        TBitmap trimmed(source);
        TrimBitmapEdge(trimmed, 0, 1, 3);
        ASSERT_EQ(trimmed.Width(), 20);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 20; ++x)
                EXPECT_EQ(trimmed.Pixel(x, y), source.Pixel(x + 3, y)) << BitsPerPixel(format) << " bits, " << x;
    }
}

TEST(Trim, RowsOffTopOrBottomKeepDepth)
{
    TBitmap source;
    source.TryReset(2, 30, pf4bit);
    for (int y = 0; y < 30; ++y)
        source.SetPixel(0, y, SixteenColorTable()[std::size_t(y % 16)]);
    TBitmap top(source);
    TrimBitmapEdge(top, 1, 1, 10);
    ASSERT_EQ(top.Height(), 20);
    EXPECT_EQ(top.PixelFormat(), pf4bit);
    EXPECT_EQ(top.Pixel(0, 0), source.Pixel(0, 10));
    TBitmap bottom(source);
    TrimBitmapEdge(bottom, 1, 0, 10);
    TrimBitmapEdge(bottom, 1, 0, 10);
    TrimBitmapEdge(bottom, 1, 0, 10);
    ASSERT_EQ(bottom.Height(), 10);
    EXPECT_EQ(bottom.Pixel(0, 9), source.Pixel(0, 9));
    // Flags count only when they are 1.
    TBitmap two(source);
    TrimBitmapEdge(two, 2, 2, 10);
    EXPECT_EQ(two.Height(), 30);
    EXPECT_EQ(two.Width(), 2) << "2 columns: too narrow to trim";
}

TEST(Rotation, ThreeByTwoClockwise)
{
    // a b c
    // d e f
    const TColor a = 1, b = 2, c = 3, d = 4, e = 5, f = 6;
    for (bool byRow : {false, true}) {
        TBitmap pic = PictureOf(3, 2, {a, b, c, d, e, f});
        if (byRow)
            RotateBitmapByScanline(1, pic);
        else
            RotateBitmapByPixel(1, pic);
        ASSERT_EQ(pic.Width(), 2);
        ASSERT_EQ(pic.Height(), 3);
        EXPECT_EQ(Row(pic, 0), (std::vector<TColor>{d, a})) << byRow;
        EXPECT_EQ(Row(pic, 1), (std::vector<TColor>{e, b})) << byRow;
        EXPECT_EQ(Row(pic, 2), (std::vector<TColor>{f, c})) << byRow;
        EXPECT_EQ(pic.PixelFormat(), byRow ? pf24bit : pf32bit);
    }
}

TEST(Rotation, CounterClockwiseForAnyOtherFlag)
{
    for (bool byRow : {false, true}) {
        TBitmap pic = PictureOf(3, 2, {1, 2, 3, 4, 5, 6});
        if (byRow)
            RotateBitmapByScanline(0, pic);
        else
            RotateBitmapByPixel(2, pic);
        EXPECT_EQ(Row(pic, 0), (std::vector<TColor>{3, 6}));
        EXPECT_EQ(Row(pic, 2), (std::vector<TColor>{1, 4}));
    }
}

TEST(Rotation, BothWaysAgreeOnLargePicturesAtEveryDepth)
{
    const TBitmap photo = PhotoPicture(150, 97, 3);
    for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
        TBitmap source(photo);
        source.SetPixelFormat(f);
        TBitmap byPixel(source), byRow(source);
        RotateBitmapByPixel(1, byPixel);
        RotateBitmapByScanline(1, byRow);
        ASSERT_EQ(byRow.Width(), 97);
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 97; ++x)
                ASSERT_EQ(byPixel.Pixel(x, y), byRow.Pixel(x, y)) << BitsPerPixel(f);
        // Four turns give the picture back.
        for (int i = 0; i < 3; ++i)
            RotateBitmapByScanline(1, byRow);
        for (int y = 0; y < 97; ++y)
            for (int x = 0; x < 150; ++x)
                ASSERT_EQ(byRow.Pixel(x, y), source.Pixel(x, y));
    }
}

TEST(Rotation, EmptyPictureByRowIsUnchanged)
{
    TBitmap empty;
    RotateBitmapByScanline(1, empty);
    EXPECT_EQ(empty.Width(), 0);
    EXPECT_EQ(empty.PixelFormat(), pf32bit);
    TBitmap column;
    column.TryReset(0, 5, pf8bit);
    RotateBitmapByScanline(1, column);
    EXPECT_EQ(column.Height(), 5);
    EXPECT_EQ(column.PixelFormat(), pf8bit);
    RotateBitmapByPixel(1, column);
    EXPECT_EQ(column.Width(), 5);
    EXPECT_EQ(column.Height(), 0);
}
