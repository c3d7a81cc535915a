#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "image/bmp_reader.h"
#include "temp_dir.h"

namespace {

TBitmap RandomBitmap(int width, int height, TPixelFormat format, unsigned seed)
{
    std::mt19937 random(seed);
    TBitmap b;
    EXPECT_TRUE(b.TryReset(width, height, format));
    if (format == pf8bit) {
        std::vector<TColor> table(256);
        for (auto& c : table)
            c = random() & 0xFFFFFF;
        b.SetColorTable(table);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.SetPixel(x, y, format == pf8bit ? b.ColorTable()[random() % 256] : random() & 0xFFFFFF);
    return b;
}

}  // namespace

TEST(BmpRoundTrip, EveryDepthComesBackAsItWent)
{
    TTempDir dir;
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
        for (auto [width, height] : {std::pair{13, 7}, std::pair{1, 1}, std::pair{32, 3}, std::pair{0, 0}}) {
            const TBitmap original = RandomBitmap(width, height, format, unsigned(width * 31 + format));
            const std::string path = dir / "round.bmp";
            ASSERT_TRUE(original.SaveToFile(path));
            TBitmap loaded;
            ASSERT_TRUE(LoadBmpFile(path, loaded)) << BitsPerPixel(format) << " bits, " << width << "x" << height;
            EXPECT_EQ(loaded.PixelFormat(), format);
            EXPECT_EQ(loaded.Width(), width);
            EXPECT_EQ(loaded.Height(), height);
            EXPECT_EQ(loaded.ColorTable(), original.ColorTable());
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    ASSERT_EQ(loaded.Pixel(x, y), original.Pixel(x, y)) << BitsPerPixel(format) << " bits at " << x << "," << y;
        }
    }
}

TEST(BmpRoundTrip, WrittenFileIsPlainUncompressedBmp)
{
    TTempDir dir;
    TBitmap b;
    ASSERT_TRUE(b.TryReset(3, 2, pf4bit));
    ASSERT_TRUE(b.SaveToFile(dir / "four.bmp"));
    const std::string bytes = ReadFileBytes(dir / "four.bmp");
    ASSERT_EQ(bytes.size(), 14u + 40 + 16 * 4 + 2 * 4);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(std::uint8_t(bytes[14]), 40);  // information header
    EXPECT_EQ(std::uint8_t(bytes[28]), 4);   // bits per pixel
    EXPECT_EQ(std::uint8_t(bytes[30]), 0);   // no compression
    EXPECT_EQ(std::uint8_t(bytes[10]), 14 + 40 + 64);
}

TEST(BmpRoundTrip, UnwritableFileIsReportedAndLeavesNothing)
{
    TBitmap b;
    b.SetSize(2, 2);
    EXPECT_FALSE(b.SaveToFile("/nonexistent-folder/x.bmp"));
    TTempDir dir;
    EXPECT_FALSE(b.SaveToFile(dir.Path().string()));  // a folder
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path()));
}

TEST(BmpRoundTrip, APlantedLinkIsReplacedNeverWrittenThrough)
{
    TTempDir dir;
    const std::string victim = dir.WriteFile("victim", "keep");
    std::filesystem::create_symlink(victim, dir / "tmp0.bmp");
    TBitmap b;
    ASSERT_TRUE(b.TryReset(3, 2, pf24bit));
    ASSERT_TRUE(b.SaveToFile(dir / "tmp0.bmp"));
    EXPECT_EQ(ReadFileBytes(victim), "keep");
    EXPECT_FALSE(std::filesystem::is_symlink(dir / "tmp0.bmp"));
    EXPECT_EQ(ReadFileBytes(dir / "tmp0.bmp").substr(0, 2), "BM");
}
