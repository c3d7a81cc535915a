#include <gtest/gtest.h>

#include <climits>

#include "bmp_builder.h"
#include "image/bmp_reader.h"

namespace {

bool Read(const TBmpBuilder& builder, TBitmap& bitmap)
{
    const auto bytes = builder.Bytes();
    return ReadBmp(bytes.data(), bytes.size(), bitmap);
}

// A 2 × 2 24-bit picture: red, green on the top row, blue, white below.
TBmpBuilder TwoByTwo()
{
    TBmpBuilder b;
    b.Width = 2;
    b.Height = 2;
    // Bottom row first: blue, white, padding; then red, green, padding.
    b.Pixels = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
    return b;
}

void ExpectTwoByTwo(const TBitmap& bitmap)
{
    ASSERT_EQ(bitmap.Width(), 2);
    ASSERT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.Pixel(0, 0), RGBColor(255, 0, 0));
    EXPECT_EQ(bitmap.Pixel(1, 0), RGBColor(0, 255, 0));
    EXPECT_EQ(bitmap.Pixel(0, 1), RGBColor(0, 0, 255));
    EXPECT_EQ(bitmap.Pixel(1, 1), clWhite);
}

}  // namespace

TEST(BmpReader, BottomUpAndTopDownRows)
{
    TBitmap bitmap;
    ASSERT_TRUE(Read(TwoByTwo(), bitmap));
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
    ExpectTwoByTwo(bitmap);

    TBmpBuilder topDown = TwoByTwo();
    topDown.Height = -2;
    std::rotate(topDown.Pixels.begin(), topDown.Pixels.begin() + 8, topDown.Pixels.end());
    TBitmap other;
    ASSERT_TRUE(Read(topDown, other));
    ExpectTwoByTwo(other);
}

TEST(BmpReader, HeaderVariants)
{
    for (std::uint32_t size : {40u, 52u, 56u, 64u, 108u, 124u}) {
        TBmpBuilder b = TwoByTwo();
        b.HeaderSize = size;
        TBitmap bitmap;
        ASSERT_TRUE(Read(b, bitmap)) << size;
        ExpectTwoByTwo(bitmap);
    }
}

TEST(BmpReader, CoreHeaderWithShortTable)
{
    TBmpBuilder b;
    b.HeaderSize = 12;
    b.Width = 3;
    b.Height = 1;
    b.Bits = 8;
    b.Table = {0, 0, 255, 0, 255, 0};  // two 3-byte entries: red, green
    b.Pixels = {1, 0, 1, 0};
    TBitmap bitmap;
    ASSERT_TRUE(Read(b, bitmap));
    EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
    EXPECT_EQ(bitmap.Pixel(0, 0), RGBColor(0, 255, 0));
    EXPECT_EQ(bitmap.Pixel(1, 0), RGBColor(255, 0, 0));
    EXPECT_EQ(bitmap.ColorTable().size(), 256u);
}

TEST(BmpReader, OneBitKeepsDepthAndTable)
{
    TBmpBuilder b;
    b.Width = 10;
    b.Height = 1;
    b.Bits = 1;
    b.Table = {0, 255, 255, 0, 255, 0, 0, 0};  // yellow, blue
    b.Pixels = {0b10100000, 0b01000000, 0, 0};
    TBitmap bitmap;
    ASSERT_TRUE(Read(b, bitmap));
    EXPECT_EQ(bitmap.PixelFormat(), pf1bit);
    EXPECT_EQ(bitmap.Pixel(0, 0), RGBColor(0, 0, 255));
    EXPECT_EQ(bitmap.Pixel(1, 0), RGBColor(255, 255, 0));
    EXPECT_EQ(bitmap.Pixel(2, 0), RGBColor(0, 0, 255));
    EXPECT_EQ(bitmap.Pixel(9, 0), RGBColor(0, 0, 255));
}

TEST(BmpReader, SixteenBitDefaultAndMasked)
{
    TBmpBuilder plain;  // 5-5-5
    plain.Width = 2;
    plain.Height = 1;
    plain.Bits = 16;
    plain.Pixels = {0x00, 0x7C, 0x1F, 0x00};  // red, blue
    TBitmap bitmap;
    ASSERT_TRUE(Read(plain, bitmap));
    EXPECT_EQ(bitmap.Pixel(0, 0), RGBColor(255, 0, 0));
    EXPECT_EQ(bitmap.Pixel(1, 0), RGBColor(0, 0, 255));

    TBmpBuilder masked = plain;  // 5-6-5, masks after a 40-byte header
    masked.Compression = 3;
    masked.Masks = {0xF800, 0x07E0, 0x001F};
    masked.Pixels = {0xE0, 0x07, 0x10, 0x00};  // full green, half blue
    ASSERT_TRUE(Read(masked, bitmap));
    EXPECT_EQ(bitmap.Pixel(0, 0), RGBColor(0, 255, 0));
    EXPECT_EQ(bitmap.Pixel(1, 0), RGBColor(0, 0, 132));
}

TEST(BmpReader, ThirtyTwoBitWithMasksInV5Header)
{
    TBmpBuilder b;
    b.HeaderSize = 124;
    b.Width = 1;
    b.Height = 1;
    b.Bits = 32;
    b.Compression = 3;
    b.Masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};  // red in the low byte
    b.Pixels = {10, 20, 30, 40};
    TBitmap bitmap;
    ASSERT_TRUE(Read(b, bitmap));
    EXPECT_EQ(bitmap.PixelFormat(), pf32bit);
    EXPECT_EQ(bitmap.Pixel(0, 0), RGBColor(10, 20, 30));
}

TEST(BmpReader, RunLengthEightBit)
{
    TBmpBuilder b;
    b.Width = 6;
    b.Height = 3;
    b.Bits = 8;
    b.Compression = 1;
    b.ColorsUsed = 4;
    b.Table = {0, 0, 0, 0, 60, 60, 60, 0, 120, 120, 120, 0, 180, 180, 180, 0};
    b.Pixels = {
        3, 1, 0, 3, 1, 2, 3, 0,  // bottom row: 1 1 1, literal 1 2 3 (padded)
        0, 0,                    // end of row
        0, 2, 2, 1,              // jump 2 right, 1 up: top row, column 2
        2, 3, 0, 1,                 // 3 3, end of picture
    };
    TBitmap bitmap;
    ASSERT_TRUE(Read(b, bitmap));
    ASSERT_EQ(bitmap.PixelFormat(), pf8bit);
    const std::uint8_t bottom[] = {1, 1, 1, 1, 2, 3};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(bitmap.ScanLine(2)[x], bottom[x]) << x;
    const std::uint8_t top[] = {0, 0, 3, 3, 0, 0};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(bitmap.ScanLine(0)[x], top[x]) << x;
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(bitmap.ScanLine(1)[x], 0) << "skipped by the jump";
}

TEST(BmpReader, RunLengthFourBit)
{
    TBmpBuilder b;
    b.Width = 7;
    b.Height = 1;
    b.Bits = 4;
    b.Compression = 2;
    b.Table.assign(64, 0);
    b.Pixels = {
        3, 0x12,        // 1 2 1
        0, 3, 0x45, 0x60,  // literal 4 5 6: two bytes, a whole word
        9, 0xFF,        // runs past the right edge: clipped
        0, 1,
    };
    TBitmap bitmap;
    ASSERT_TRUE(Read(b, bitmap));
    ASSERT_EQ(bitmap.PixelFormat(), pf4bit);
    const std::uint8_t expected[] = {1, 2, 1, 4, 5, 6, 15};
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(bitmap.IndexInRow(bitmap.ScanLine(0), x), expected[x]) << x;
}

TEST(BmpReader, StreamThatStopsEarlyGivesWhatItHas)
{
    TBmpBuilder b;
    b.Width = 4;
    b.Height = 2;
    b.Bits = 8;
    b.Compression = 1;
    b.Pixels = {4, 9, 0, 0, 0, 5, 1};  // second row: a literal run cut short
    TBitmap bitmap;
    ASSERT_TRUE(Read(b, bitmap));
    EXPECT_EQ(bitmap.ScanLine(1)[3], 9);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 0);
}

TEST(BmpReader, MissingPaddingOfLastRowIsAccepted)
{
    TBmpBuilder b = TwoByTwo();
    b.Pixels.resize(b.Pixels.size() - 2);
    TBitmap bitmap;
    ASSERT_TRUE(Read(b, bitmap));
    ExpectTwoByTwo(bitmap);
}

TEST(BmpReader, DamagedFilesAreRefusedAndBitmapKept)
{
    TBitmap kept;
    kept.SetSize(1, 1);
    kept.SetPixel(0, 0, RGBColor(1, 2, 3));

    std::vector<std::pair<const char*, TBmpBuilder>> cases;
    auto add = [&](const char* what, auto change) {
        TBmpBuilder b = TwoByTwo();
        change(b);
        cases.emplace_back(what, b);
    };
    add("pixels cut short", [](TBmpBuilder& b) { b.Pixels.resize(9); });
    add("unknown header size", [](TBmpBuilder& b) { b.HeaderSize = 44; });
    add("two bits per pixel", [](TBmpBuilder& b) { b.Bits = 2; });
    add("zero bits per pixel", [](TBmpBuilder& b) { b.Bits = 0; });
    add("embedded JPEG", [](TBmpBuilder& b) { b.Compression = 4; });
    add("RLE8 at 24 bits", [](TBmpBuilder& b) { b.Compression = 1; });
    add("bit fields at 24 bits", [](TBmpBuilder& b) { b.Compression = 3; });
    add("negative width", [](TBmpBuilder& b) { b.Width = -2; });
    add("height INT_MIN", [](TBmpBuilder& b) { b.Height = INT_MIN; });
    add("300 megapixels", [](TBmpBuilder& b) { b.Width = 20000; b.Height = 15000; });
    add("300 megapixels top-down", [](TBmpBuilder& b) { b.Width = 20000; b.Height = -15000; });
    add("rows beyond the file", [](TBmpBuilder& b) { b.Width = 100000; b.Height = 1000; });
    add("scattered mask", [](TBmpBuilder& b) {
        b.Bits = 16;
        b.Compression = 3;
        b.Masks = {0xF00F, 0x0FF0, 0};
    });
    add("16-bit mask wider than the pixel", [](TBmpBuilder& b) {
        b.Bits = 16;
        b.Compression = 3;
        b.Masks = {0x1F0000, 0x07E0, 0x1F};
    });
    add("table beyond the file", [](TBmpBuilder& b) {
        b.Bits = 8;
        b.ColorsUsed = 200;
        b.PixelOffset = 1 << 30;
        b.Pixels = {0, 0, 0, 0};
    });
    for (const auto& [what, builder] : cases) {
        TBitmap bitmap(kept);
        EXPECT_FALSE(Read(builder, bitmap)) << what;
        EXPECT_EQ(bitmap.Width(), 1) << what;
        EXPECT_EQ(bitmap.Pixel(0, 0), RGBColor(1, 2, 3)) << what;
    }

    const auto good = TwoByTwo().Bytes();
    for (std::size_t cut = 0; cut < 14 + 40; ++cut) {
        TBitmap bitmap(kept);
        EXPECT_FALSE(ReadBmp(good.data(), cut, bitmap)) << "cut at " << cut;
    }
    auto wrongMagic = good;
    wrongMagic[1] = 'A';
    TBitmap bitmap;
    EXPECT_FALSE(ReadBmp(wrongMagic.data(), wrongMagic.size(), bitmap));
    EXPECT_FALSE(LoadBmpFile("/nonexistent/picture.bmp", bitmap));
}

TEST(BmpReader, PixelLimitIsTheCallers)
{
    TBmpBuilder b = TwoByTwo();
    const auto bytes = b.Bytes();
    TBitmap bitmap;
    EXPECT_FALSE(ReadBmp(bytes.data(), bytes.size(), bitmap, 3));
    EXPECT_TRUE(ReadBmp(bytes.data(), bytes.size(), bitmap, 4));
}

TEST(BmpReader, BogusPixelOffsetFallsBackToTableEnd)
{
    TBmpBuilder b = TwoByTwo();
    b.PixelOffset = 1u << 30;
    TBitmap bitmap;
    ASSERT_TRUE(Read(b, bitmap));
    ExpectTwoByTwo(bitmap);
}
