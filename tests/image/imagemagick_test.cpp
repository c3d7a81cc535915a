#include <gtest/gtest.h>

#include <cstdlib>

#include "image/bmp_reader.h"
#include "image/page_picture.h"
#include "temp_dir.h"

// Pictures written by ImageMagick, in every BMP flavour it makes and the JPEG
// kinds a scanner or camera gives, decoded by us and by ImageMagick itself.

namespace {

const std::string Convert = PELMOR_IMAGEMAGICK_CONVERT;

// A path in single quotes for the shell.
std::string Quoted(const std::string& path)
{
    std::string quoted = "'";
    quoted += path;
    quoted += "'";
    return quoted;
}

bool RunConvert(const std::string& arguments)
{
    const std::string command = Convert + " " + arguments + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

// How far apart our pixels and ImageMagick's may be, per channel.
void ExpectSameAsImageMagick(const std::string& path, int tolerance, const std::string& readOptions = {})
{
    TTempDir dir;
    TBitmap ours;
    ASSERT_TRUE(LoadPictureFile(path, ours)) << path;
    const std::string raw = dir / "pixels.rgb";
    ASSERT_TRUE(RunConvert(readOptions + " " + Quoted(path) + " -alpha off -colorspace sRGB -depth 8 " + Quoted("rgb:" + raw)));
    const std::string theirs = ReadFileBytes(raw);
    ASSERT_EQ(theirs.size(), std::size_t(ours.Width()) * std::size_t(ours.Height()) * 3) << path;
    int worst = 0;
    for (int y = 0; y < ours.Height(); ++y)
        for (int x = 0; x < ours.Width(); ++x) {
            const TColorBytes c = SplitColor(ours.Pixel(x, y));
            const std::size_t i = (std::size_t(y) * std::size_t(ours.Width()) + std::size_t(x)) * 3;
            worst = std::max({worst, std::abs(c.Red - std::uint8_t(theirs[i])), std::abs(c.Green - std::uint8_t(theirs[i + 1])),
                              std::abs(c.Blue - std::uint8_t(theirs[i + 2]))});
        }
    EXPECT_LE(worst, tolerance) << path;
}

class ImageMagickFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Convert.empty() || Convert.find("NOTFOUND") != std::string::npos)
            GTEST_SKIP() << "ImageMagick is not installed";
        // A photograph with an odd size (not a whole number of JPEG blocks).
        ASSERT_TRUE(RunConvert(std::string("rose: -resize 103x67! ") + Quoted(Dir / "photo.png")));
    }

    TTempDir Dir;
};

}  // namespace

TEST_F(ImageMagickFiles, BmpFlavours)
{
    const struct {
        const char* Name;
        const char* Options;
        int Tolerance;
    } cases[] = {
        {"info24.bmp", "-type TrueColor BMP3:", 0},
        {"v5-24.bmp", "-type TrueColor BMP:", 0},
        {"core24.bmp", "-type TrueColor BMP2:", 0},
        {"palette8.bmp", "-colors 200 -type Palette BMP3:", 0},
        {"palette4.bmp", "-colors 16 -type Palette BMP3:", 0},
        {"core8.bmp", "-colors 100 -type Palette BMP2:", 0},
        {"mono.bmp", "-monochrome BMP3:", 0},
        {"rle8.bmp", "-colors 60 -compress RLE BMP3:", 0},
        {"alpha32.bmp", "-alpha set -channel A -evaluate set 50% +channel BMP:", 0},
        {"rgb565.bmp", "-define bmp:subtype=RGB565 BMP:", 1},
        {"rgb555.bmp", "-define bmp:subtype=RGB555 BMP:", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = Dir / c.Name;
        ASSERT_TRUE(RunConvert(Quoted(Dir / "photo.png") + " " + c.Options + Quoted(path)));
        ExpectSameAsImageMagick(path, c.Tolerance);
    }
}

TEST_F(ImageMagickFiles, JpegKinds)
{
    const struct {
        const char* Name;
        const char* Options;
        int Tolerance;
    } cases[] = {
        {"colour.jpg", "-quality 90", 0},
        {"colour444.jpg", "-quality 95 -sampling-factor 1x1", 0},
        {"progressive.jpg", "-quality 85 -interlace Plane", 0},
        {"grey.jpg", "-colorspace Gray -quality 90", 0},
        {"cmyk.jpg", "-colorspace CMYK -quality 95", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = Dir / c.Name;
        ASSERT_TRUE(RunConvert(Quoted(Dir / "photo.png") + " " + c.Options + " " + Quoted(path)));
        // The same inverse transform as ours, so that the two decoders can agree exactly.
        ExpectSameAsImageMagick(path, c.Tolerance, "-define jpeg:dct-method=islow");
    }
}

TEST_F(ImageMagickFiles, OurBmpFilesReadTheSameInImageMagick)
{
    TBitmap photo;
    ASSERT_TRUE(RunConvert(Quoted(Dir / "photo.png") + " " + Quoted("BMP3:" + (Dir / "photo.bmp"))));
    ASSERT_TRUE(LoadBmpFile(Dir / "photo.bmp", photo));
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
        SCOPED_TRACE(BitsPerPixel(format));
        TBitmap b(photo);
        b.SetPixelFormat(format);
        const std::string path = Dir / "ours.bmp";
        ASSERT_TRUE(b.SaveToFile(path));
        ExpectSameAsImageMagick(path, 0);
    }
}
