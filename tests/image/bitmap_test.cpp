#include <gtest/gtest.h>

#include <random>

#include "image/bitmap.h"
#include "image/bitmap_error.h"
#include "image/color_tables.h"

namespace {

TBitmap MakeBitmap(int width, int height, TPixelFormat format)
{
    TBitmap b;
    EXPECT_TRUE(b.TryReset(width, height, format));
    return b;
}

int Distance(TColor a, TColor b)
{
    const TColorBytes x = SplitColor(a), y = SplitColor(b);
    const int dr = x.Red - y.Red, dg = x.Green - y.Green, db = x.Blue - y.Blue;
    return dr * dr + dg * dg + db * db;
}

// The first entry of the table nearest to c, by plain search.
std::size_t NearestBySearch(const std::vector<TColor>& table, TColor c)
{
    std::size_t best = 0;
    for (std::size_t i = 1; i < table.size(); ++i)
        if (Distance(table[i], c) < Distance(table[best], c))
            best = i;
    return best;
}

}  // namespace

TEST(Bitmap, FreshBitmapIsEmptyTrueColour)
{
    TBitmap b;
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Height(), 0);
    EXPECT_EQ(b.PixelFormat(), pf32bit);
    b.SetSize(3, 2);
    EXPECT_EQ(b.PixelFormat(), pf32bit);
    EXPECT_EQ(b.Pixel(2, 1), clBlack);
    EXPECT_EQ(b.Pixel(3, 0), clInvalid);
    EXPECT_EQ(b.Pixel(-1, 0), clInvalid);
    b.SetPixel(5, 5, clWhite);  // outside: ignored
    EXPECT_EQ(b.ScanLine(2), nullptr);
}

TEST(Bitmap, EitherSideMayBeZero)
{
    TBitmap b;
    b.SetSize(0, 7);
    EXPECT_EQ(b.Height(), 7);
    EXPECT_TRUE(b.Empty());
    b.SetPixelFormat(pf24bit);
    TBitmap copy(b);
    EXPECT_EQ(copy.Height(), 7);
    EXPECT_EQ(copy.PixelFormat(), pf24bit);
}

TEST(Bitmap, RowsHoldBlueGreenRedFromTheTop)
{
    TBitmap b = MakeBitmap(2, 2, pf24bit);
    b.SetPixel(1, 0, RGBColor(10, 20, 30));
    const std::uint8_t* top = b.ScanLine(0);
    EXPECT_EQ(top[3], 30);
    EXPECT_EQ(top[4], 20);
    EXPECT_EQ(top[5], 10);
    EXPECT_EQ(b.RowBytes(), 8u);  // padded to 4 bytes
}

TEST(Bitmap, PixelWritesAtEveryDepth)
{
    for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
        TBitmap b = MakeBitmap(9, 3, f);
        b.SetPixel(8, 2, clWhite);
        b.SetPixel(7, 2, clBlack);
        EXPECT_EQ(b.Pixel(8, 2), clWhite) << BitsPerPixel(f);
        EXPECT_EQ(b.Pixel(7, 2), clBlack) << BitsPerPixel(f);
        EXPECT_EQ(b.Pixel(0, 0), clBlack) << BitsPerPixel(f);
    }
    // A system colour is resolved before it is written.
    TBitmap b = MakeBitmap(1, 1, pf24bit);
    b.SetPixel(0, 0, clBtnFace);
    EXPECT_EQ(b.Pixel(0, 0), ColorToRGB(clBtnFace));
    EXPECT_EQ(b.Pixel(0, 0) >> 24, 0u);
}

TEST(Bitmap, SixteenColourTableInItsOrder)
{
    const auto& t = SixteenColorTable();
    ASSERT_EQ(t.size(), 16u);
    EXPECT_EQ(t[1], RGBColor(0x80, 0, 0));
    EXPECT_EQ(t[4], RGBColor(0, 0, 0x80));
    EXPECT_EQ(t[7], RGBColor(0x80, 0x80, 0x80));
    EXPECT_EQ(t[8], RGBColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(t[9], RGBColor(0xFF, 0, 0));
    EXPECT_EQ(t[12], RGBColor(0, 0, 0xFF));
    EXPECT_EQ(t[15], clWhite);
}

TEST(Bitmap, StandardTableHoldsCubeAndGreyRamp)
{
    const auto& t = StandardColorTable256();
    ASSERT_EQ(t.size(), 256u);
    std::vector<TColor> sorted(t);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end()) << "entries repeat";
    int greys = 0;
    for (TColor c : t) {
        const TColorBytes b = SplitColor(c);
        greys += b.Red == b.Green && b.Green == b.Blue;
    }
    EXPECT_EQ(greys, 6 + 40);
}

TEST(Bitmap, NearestColourMatchesPlainSearch)
{
    std::mt19937 random(42);
    for (const auto* table : {&MonochromeColorTable(), &SixteenColorTable(), &StandardColorTable256()}) {
        TColorMatcher matcher(*table);
        for (int i = 0; i < 20000; ++i) {
            const TColor c = random() & 0xFFFFFF;
            // Greys and near-greys are where the cube and the ramp compete.
            const TColor probe = i % 2 ? c : RGBColor(c & 0xFF, (c & 0xFF) ^ (i & 3), (c & 0xFF) ^ (i >> 2 & 3));
            const TColorBytes b = SplitColor(probe);
            ASSERT_EQ(matcher.Nearest(b.Blue, b.Green, b.Red), NearestBySearch(*table, probe))
                << std::hex << probe << " in a table of " << std::dec << table->size();
        }
    }
}

TEST(Bitmap, ChangeDepthTakesNearestColourWithoutDithering)
{
    TBitmap b = MakeBitmap(4, 1, pf24bit);
    b.SetPixel(0, 0, RGBColor(0x90, 0x10, 0x10));  // nearest of the 16: dark red
    b.SetPixel(1, 0, RGBColor(0xB0, 0xB0, 0xB0));  // light grey
    b.SetPixel(2, 0, RGBColor(0x70, 0x70, 0x70));  // dark grey
    b.SetPixel(3, 0, RGBColor(0xF0, 0xF0, 0x20));  // yellow
    TBitmap four(b);
    four.SetPixelFormat(pf4bit);
    EXPECT_EQ(four.PixelFormat(), pf4bit);
    EXPECT_EQ(four.ColorTable(), SixteenColorTable());
    EXPECT_EQ(four.Pixel(0, 0), RGBColor(0x80, 0, 0));
    EXPECT_EQ(four.Pixel(1, 0), RGBColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(four.Pixel(2, 0), RGBColor(0x80, 0x80, 0x80));
    EXPECT_EQ(four.Pixel(3, 0), RGBColor(0xFF, 0xFF, 0));

    TBitmap one(b);
    one.SetPixelFormat(pf1bit);
    EXPECT_EQ(one.Pixel(0, 0), clBlack);
    EXPECT_EQ(one.Pixel(1, 0), clWhite);
    EXPECT_EQ(one.Pixel(2, 0), clBlack);

    // A uniform area stays uniform: no dither pattern.
    TBitmap flat = MakeBitmap(16, 16, pf24bit);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            flat.SetPixel(x, y, RGBColor(0x60, 0x60, 0x60));
    flat.SetPixelFormat(pf1bit);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(flat.Pixel(x, y), clBlack);

    // And back up: the colours stay those of the table.
    four.SetPixelFormat(pf24bit);
    EXPECT_EQ(four.Pixel(3, 0), RGBColor(0xFF, 0xFF, 0));
}

TEST(Bitmap, DrawFlattensColourTable)
{
    TBitmap indexed = MakeBitmap(3, 2, pf8bit);
    indexed.SetColorTable({clBlack, RGBColor(1, 2, 3), RGBColor(200, 100, 50)});
    indexed.ScanLine(0)[1] = 1;
    indexed.ScanLine(1)[2] = 2;
    indexed.ScanLine(1)[0] = 77;  // past the stored table: black
    TBitmap canvas;
    canvas.SetSize(3, 2);
    canvas.Draw(indexed);
    EXPECT_EQ(canvas.PixelFormat(), pf32bit);
    EXPECT_EQ(canvas.Pixel(1, 0), RGBColor(1, 2, 3));
    EXPECT_EQ(canvas.Pixel(2, 1), RGBColor(200, 100, 50));
    EXPECT_EQ(canvas.Pixel(0, 1), clBlack);
}

TEST(Bitmap, DrawClipsToBothBitmaps)
{
    TBitmap small = MakeBitmap(2, 2, pf24bit);
    small.SetPixel(1, 1, clWhite);
    TBitmap big = MakeBitmap(4, 4, pf24bit);
    big.SetPixel(3, 3, clRed);
    big.Draw(small);
    EXPECT_EQ(big.Pixel(1, 1), clWhite);
    EXPECT_EQ(big.Pixel(3, 3), clRed);
    small.Draw(big);
    EXPECT_EQ(small.Pixel(1, 1), clWhite);
}

TEST(Bitmap, StretchDrawPicksPixelsWithoutAveraging)
{
    // Columns alternate black and white; any averaging would make grey.
    TBitmap stripes = MakeBitmap(100, 3, pf24bit);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 100; ++x)
            stripes.SetPixel(x, y, x % 2 ? clWhite : clBlack);
    TBitmap shrunk;
    shrunk.SetSize(37, 2);
    shrunk.StretchDraw({0, 0, 37, 2}, stripes);
    for (int x = 0; x < 37; ++x) {
        const TColor c = shrunk.Pixel(x, 0);
        EXPECT_TRUE(c == clWhite || c == clBlack) << x;
    }

    // Enlarging by two repeats every row and column twice.
    TBitmap grid = MakeBitmap(3, 2, pf24bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            grid.SetPixel(x, y, RGBColor(std::uint8_t(x * 50), std::uint8_t(y * 50), 7));
    TBitmap doubled;
    doubled.SetSize(6, 4);
    doubled.StretchDraw({0, 0, 6, 4}, grid);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(doubled.Pixel(x, y), grid.Pixel(x / 2, y / 2)) << x << "," << y;
}

TEST(Bitmap, CopyRectMovesOneRectangle)
{
    TBitmap source = MakeBitmap(5, 5, pf24bit);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            source.SetPixel(x, y, RGBColor(std::uint8_t(x), std::uint8_t(y), 1));
    TBitmap target = MakeBitmap(3, 2, pf24bit);
    target.CopyRect({0, 0, 3, 2}, source, {2, 3, 5, 5});
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(target.Pixel(x, y), source.Pixel(x + 2, y + 3));
}

TEST(Bitmap, AssignTakesEverything)
{
    TBitmap source = MakeBitmap(3, 3, pf4bit);
    source.SetPixel(1, 1, RGBColor(0xFF, 0, 0xFF));
    TBitmap copy;
    copy.Assign(source);
    EXPECT_EQ(copy.PixelFormat(), pf4bit);
    EXPECT_EQ(copy.ColorTable(), source.ColorTable());
    EXPECT_EQ(copy.Pixel(1, 1), RGBColor(0xFF, 0, 0xFF));
    source.SetPixel(1, 1, clBlack);
    EXPECT_EQ(copy.Pixel(1, 1), RGBColor(0xFF, 0, 0xFF)) << "a copy, not a share";
}

TEST(Bitmap, OversizedPictureIsRefusedAndBitmapKept)
{
    TBitmap b = MakeBitmap(2, 2, pf24bit);
    b.SetPixel(0, 0, clWhite);
    EXPECT_FALSE(b.TrySetSize(20000, 20000));  // 400 megapixels
    EXPECT_FALSE(b.TrySetSize(-1, 5));
    EXPECT_THROW(b.SetSize(16001, 16001), TBitmapError);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.Pixel(0, 0), clWhite);
}
