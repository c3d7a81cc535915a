#include <gtest/gtest.h>

#include <cstdlib>

#include "image/jpeg_reader.h"
#include "image/page_picture.h"
#include "image/rotation.h"
#include "jpeg_encoder.h"
#include "temp_dir.h"

namespace {

// Four flat 16 × 16 blocks side by side: red, green, blue, white.
constexpr int BlockWidth = 16;
const TColor Blocks[4] = {RGBColor(255, 0, 0), RGBColor(0, 255, 0), RGBColor(0, 0, 255), RGBColor(255, 255, 255)};

std::vector<std::uint8_t> RgbBlocks()
{
    std::vector<std::uint8_t> s;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 4 * BlockWidth; ++x) {
            const TColor c = Blocks[x / BlockWidth];
            s.insert(s.end(), {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)});
        }
    return s;
}

bool Near(TColor a, TColor b, int tolerance)
{
    const TColorBytes x = SplitColor(a), y = SplitColor(b);
    return std::abs(x.Red - y.Red) <= tolerance && std::abs(x.Green - y.Green) <= tolerance &&
           std::abs(x.Blue - y.Blue) <= tolerance;
}

void ExpectBlocks(const TBitmap& b, int tolerance)
{
    ASSERT_EQ(b.Width(), 4 * BlockWidth);
    ASSERT_EQ(b.Height(), 16);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Near(b.Pixel(i * BlockWidth + 8, 8), Blocks[i], tolerance))
            << i << ": " << std::hex << b.Pixel(i * BlockWidth + 8, 8);
}

bool Decode(const std::vector<std::uint8_t>& bytes, TBitmap& b)
{
    return ReadJpeg(bytes.data(), bytes.size(), b);
}

// Overwrites the height and width of the first frame header.
void SetFrameSize(std::vector<std::uint8_t>& jpeg, int width, int height)
{
    for (std::size_t i = 0; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = std::uint8_t(height >> 8);
            jpeg[i + 6] = std::uint8_t(height);
            jpeg[i + 7] = std::uint8_t(width >> 8);
            jpeg[i + 8] = std::uint8_t(width);
            return;
        }
    FAIL() << "no frame header";
}

}  // namespace

TEST(JpegReader, ColourBaselineAndProgressive)
{
    for (bool progressive : {false, true}) {
        TBitmap b;
        ASSERT_TRUE(Decode(EncodeJpeg(RgbBlocks(), 4 * BlockWidth, 16, jkRgb, 95, progressive), b)) << progressive;
        ExpectBlocks(b, 8);
    }
}

TEST(JpegReader, GreyscaleBecomesEqualChannels)
{
    std::vector<std::uint8_t> grey;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 24; ++x)
            grey.push_back(std::uint8_t(x < 12 ? 40 : 200));
    TBitmap b;
    ASSERT_TRUE(Decode(EncodeJpeg(grey, 24, 8, jkGrey), b));
    ASSERT_EQ(b.PixelFormat(), pf24bit);
    const TColorBytes dark = SplitColor(b.Pixel(3, 3)), light = SplitColor(b.Pixel(20, 3));
    EXPECT_NEAR(dark.Red, 40, 4);
    EXPECT_NEAR(light.Red, 200, 4);
    EXPECT_EQ(dark.Red, dark.Green);
    EXPECT_EQ(dark.Green, dark.Blue);
}

TEST(JpegReader, AdobeCmykWithInvertedInks)
{
    // Stored as Adobe writes it: 255 means no ink.
    std::vector<std::uint8_t> cmyk;
    const std::uint8_t inks[4][4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 4 * BlockWidth; ++x)
            cmyk.insert(cmyk.end(), inks[x / BlockWidth], inks[x / BlockWidth] + 4);
    TBitmap b;
    ASSERT_TRUE(Decode(EncodeJpeg(cmyk, 4 * BlockWidth, 16, jkCmyk), b));
    ExpectBlocks(b, 8);
}

TEST(JpegReader, FileCutShortStillGivesThePicture)
{
    auto jpeg = EncodeJpeg(RgbBlocks(), 4 * BlockWidth, 16, jkRgb);
    // Cut a few bytes into the picture data, after the start-of-scan header.
    std::size_t scan = 0;
    while (scan + 1 < jpeg.size() && !(jpeg[scan] == 0xFF && jpeg[scan + 1] == 0xDA))
        ++scan;
    ASSERT_LT(scan + 40, jpeg.size() - 2);
    jpeg.resize(scan + 40);
    TBitmap b;
    ASSERT_TRUE(Decode(jpeg, b));
    EXPECT_EQ(b.Width(), 4 * BlockWidth);
    EXPECT_TRUE(Near(b.Pixel(2, 2), Blocks[0], 8)) << std::hex << b.Pixel(2, 2);
}

TEST(JpegReader, DamageIsRefusedWithoutEndingTheProcess)
{
    TBitmap kept;
    kept.SetSize(1, 1);
    kept.SetPixel(0, 0, RGBColor(7, 8, 9));
    const auto good = EncodeJpeg(RgbBlocks(), 4 * BlockWidth, 16, jkRgb);

    std::vector<std::vector<std::uint8_t>> bad;
    bad.push_back({});
    bad.push_back({0xFF, 0xD8});
    bad.push_back(std::vector<std::uint8_t>(good.begin(), good.begin() + 100));
    bad.push_back({'B', 'M', 0, 0});
    auto huge = good;
    SetFrameSize(huge, 60000, 60000);
    bad.push_back(huge);
    auto overLimit = good;
    SetFrameSize(overLimit, 17000, 17000);  // 289 megapixels
    bad.push_back(overLimit);
    auto zero = good;
    SetFrameSize(zero, 64, 0);
    bad.push_back(zero);
    for (std::size_t i = 0; i < bad.size(); ++i) {
        TBitmap b(kept);
        EXPECT_FALSE(Decode(bad[i], b)) << i;
        EXPECT_EQ(b.Pixel(0, 0), RGBColor(7, 8, 9)) << i;
    }
}

TEST(JpegReader, LoadedByExtensionWithoutRegardToCase)
{
    TTempDir dir;
    const auto jpeg = EncodeJpeg(RgbBlocks(), 4 * BlockWidth, 16, jkRgb);
    const std::string bytes(jpeg.begin(), jpeg.end());
    for (const char* name : {"a.jpg", "b.JPG", "c.jpeg", "d.JpEg"}) {
        TBitmap b;
        ASSERT_TRUE(LoadPictureFile(dir.WriteFile(name, bytes), b)) << name;
        ExpectBlocks(b, 8);
    }
    TBitmap b;
    EXPECT_FALSE(LoadPictureFile(dir.WriteFile("e.bmp", bytes), b)) << "a JPEG is no BMP";
    EXPECT_FALSE(LoadPictureFile(dir.WriteFile("f.png", bytes), b));
    EXPECT_FALSE(LoadPictureFile(dir.WriteFile("jpg", bytes), b));
    EXPECT_FALSE(LoadPictureFile(dir / "missing.jpg", b));
}

TEST(JpegReader, LandscapeTurnedWhileDecodedMatchesTheTurnRoutines)
{
    TTempDir dir;
    // Wider than the page and than high; 37 rows make bands of 16, 16 and 5.
    const int w = 900, h = 37;
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            rgb.insert(rgb.end(), {std::uint8_t(x * 7), std::uint8_t(y * 5), std::uint8_t((x ^ y) * 3)});
    const auto jpeg = EncodeJpeg(rgb, w, h, jkRgb, 90);
    const std::string path = dir.WriteFile("wide.jpg", std::string(jpeg.begin(), jpeg.end()));
    TBitmap plain;
    ASSERT_TRUE(ReadJpeg(jpeg.data(), jpeg.size(), plain));

    for (bool byRow : {false, true}) {
        TTempDir appDir;
        if (byRow)
            appDir.WriteFile("scanline.marker", "");
        TBitmap expected(plain);
        if (byRow)
            RotateBitmapByScanline(1, expected);
        else
            RotateBitmapByPixel(1, expected);
        TBitmap turned;
        ASSERT_TRUE(LoadPagePicture(path, appDir.Path().string(), turned));
        ASSERT_EQ(turned.Width(), h);
        ASSERT_EQ(turned.Height(), w);
        EXPECT_EQ(turned.PixelFormat(), expected.PixelFormat());
        for (int y = 0; y < w; ++y)
            for (int x = 0; x < h; ++x)
                ASSERT_EQ(turned.Pixel(x, y), expected.Pixel(x, y)) << byRow << " at " << x << "," << y;
    }
}
