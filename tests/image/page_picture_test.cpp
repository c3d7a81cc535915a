#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <tuple>

#include "image/bmp_reader.h"
#include "image/color_tables.h"
#include "image/page_picture.h"
#include "picture_maker.h"
#include "temp_dir.h"

namespace {

const TColor Red = RGBColor(255, 0, 0);
const TColor Yellow = RGBColor(255, 255, 0);

// A picture whose four corners can be told apart.
TBitmap CornerPicture(int width, int height)
{
    TBitmap b = FilledPicture(width, height, RGBColor(90, 90, 90));
    b.SetPixel(0, 0, RGBColor(1, 0, 0));
    b.SetPixel(width - 1, 0, RGBColor(2, 0, 0));
    b.SetPixel(0, height - 1, RGBColor(3, 0, 0));
    b.SetPixel(width - 1, height - 1, RGBColor(4, 0, 0));
    return b;
}

TBitmap Saved(const std::string& path)
{
    TBitmap b;
    EXPECT_TRUE(LoadBmpFile(path, b)) << path;
    return b;
}

}  // namespace

TEST(PagePicture, ShrinkSteps)
{
    const struct {
        int W, H, FitW, FitH, Steps;
    } cases[] = {
        {900, 1000, 544, 605, 47},
        {545, 827, 539, 818, 1},
        {544, 826, 544, 826, 0},
    };
    for (const auto& c : cases) {
        const TPageFit fit = ShrinkToPage(c.W, c.H);
        EXPECT_EQ(fit.Width, c.FitW) << c.W << "x" << c.H;
        EXPECT_EQ(fit.Height, c.FitH) << c.W << "x" << c.H;
        EXPECT_EQ(fit.Steps, c.Steps) << c.W << "x" << c.H;
    }
    EXPECT_EQ(ShrinkToPage(600, 1000).Width, 488);
    EXPECT_EQ(ShrinkToPage(600, 1000).Height, 819);
    EXPECT_EQ(ShrinkToPage(2480, 3508).Width, 540);
    EXPECT_EQ(ShrinkToPage(2480, 3508).Height, 778);
}

TEST(PagePicture, TurnTrigger)
{
    EXPECT_TRUE(NeedsTurning(600, 400));
    EXPECT_TRUE(NeedsTurning(545, 300));
    EXPECT_TRUE(NeedsTurning(3508, 2480));
    EXPECT_FALSE(NeedsTurning(544, 826));
    EXPECT_FALSE(NeedsTurning(544, 300)) << "fits the page";
    EXPECT_FALSE(NeedsTurning(600, 1000)) << "portrait";
    EXPECT_FALSE(NeedsTurning(900, 900)) << "square";
}

TEST(PagePicture, LandscapeTurnedClockwiseByPixelOrByRow)
{
    TTempDir appDir;
    TTempDir pictures;
    const std::string path = pictures / "wide.bmp";
    ASSERT_TRUE(CornerPicture(600, 400).SaveToFile(path));

    for (bool marker : {false, true}) {
        if (marker)
            appDir.WriteFile("use-scanline-rotation", "");
        TBitmap b;
        ASSERT_TRUE(LoadPagePicture(path, appDir.Path().string(), b));
        ASSERT_EQ(b.Width(), 400);
        ASSERT_EQ(b.Height(), 600);
        EXPECT_EQ(b.Pixel(399, 0), RGBColor(1, 0, 0)) << "top-left ends top-right";
        EXPECT_EQ(b.Pixel(399, 599), RGBColor(2, 0, 0));
        EXPECT_EQ(b.Pixel(0, 0), RGBColor(3, 0, 0));
        // The pixel turn gives the working format, the row turn 24 bits.
        EXPECT_EQ(b.PixelFormat(), marker ? pf24bit : pf32bit);
    }
}

TEST(PagePicture, WhichPicturesAreTurned)
{
    TTempDir dir;
    for (auto [w, h, turned] : {std::tuple{545, 300, true}, std::tuple{544, 826, false}, std::tuple{600, 1000, false}}) {
        const std::string path = dir / "p.bmp";
        ASSERT_TRUE(CornerPicture(w, h).SaveToFile(path));
        TBitmap b;
        ASSERT_TRUE(LoadPagePicture(path, dir.Path().string(), b));
        EXPECT_EQ(b.Width(), turned ? h : w) << w << "x" << h;
        EXPECT_EQ(b.Height(), turned ? w : h) << w << "x" << h;
    }
}

TEST(PagePicture, LoadFailureKeepsWhatWasHeld)
{
    TTempDir dir;
    TBitmap held = FilledPicture(3, 3, Red);
    EXPECT_FALSE(LoadPagePicture(dir / "missing.bmp", dir.Path().string(), held));
    EXPECT_FALSE(LoadPagePicture(dir.WriteFile("broken.jpg", "not a picture"), dir.Path().string(), held));
    EXPECT_FALSE(LoadPagePicture(dir.WriteFile("text.txt", "BM"), dir.Path().string(), held));
    // A header declaring 300 megapixels is refused instead of exhausting memory.
    ASSERT_TRUE(FilledPicture(1, 1, Red).SaveToFile(dir / "tiny.bmp"));
    std::string huge = ReadFileBytes(dir / "tiny.bmp");
    huge[18] = char(0x20), huge[19] = char(0x4E), huge[20] = 0, huge[21] = 0;  // width 20000
    huge[22] = char(0x98), huge[23] = char(0x3A), huge[24] = 0, huge[25] = 0;  // height 15000
    EXPECT_FALSE(LoadPagePicture(dir.WriteFile("huge.bmp", huge), dir.Path().string(), held));
    EXPECT_EQ(held.Width(), 3);
    EXPECT_EQ(held.Pixel(1, 1), Red);
}

TEST(PagePicture, PortraitShrunkOnlyWhenAsked)
{
    TTempDir dir;
    const std::string out = dir / "tmp0.bmp";
    const TBitmap photo = PhotoPicture(600, 1000);
    ASSERT_TRUE(FitAndSavePicture(photo, 8, true, out));
    TBitmap shrunk = Saved(out);
    EXPECT_EQ(shrunk.Width(), 488);
    EXPECT_EQ(shrunk.Height(), 819);
    EXPECT_EQ(shrunk.PixelFormat(), pf8bit);

    ASSERT_TRUE(FitAndSavePicture(photo, 8, false, out));
    TBitmap full = Saved(out);
    EXPECT_EQ(full.Width(), 600);
    EXPECT_EQ(full.Height(), 1000);
}

TEST(PagePicture, FullPageShrinksToPage)
{
    TTempDir dir;
    TBitmap page = PhotoPicture(2480, 3508);
    ASSERT_TRUE(FitAndSavePicture(page, 4, true, dir / "tmp0.bmp"));
    TBitmap saved = Saved(dir / "tmp0.bmp");
    EXPECT_EQ(saved.Width(), 540);
    EXPECT_EQ(saved.Height(), 778);
}

TEST(PagePicture, LandscapeIsTurnedAndSentUnshrunk)
{
    TTempDir dir;
    ASSERT_TRUE(PhotoPicture(600, 400).SaveToFile(dir / "in.bmp"));
    TBitmap b;
    ASSERT_TRUE(LoadPagePicture(dir / "in.bmp", dir.Path().string(), b));
    ASSERT_TRUE(FitAndSavePicture(b, 24, true, dir / "tmp0.bmp"));
    TBitmap saved = Saved(dir / "tmp0.bmp");
    EXPECT_EQ(saved.Width(), 400);
    EXPECT_EQ(saved.Height(), 600);
}

TEST(PagePicture, TwoColourPictureSavedAsBlackAndWhiteAtEveryDepth)
{
    TTempDir dir;
    const TBitmap source = RedOnYellowPicture(200, 120);
    for (int depth : {4, 8, 24}) {
        ASSERT_TRUE(FitAndSavePicture(source, depth, true, dir / "tmp0.bmp")) << depth;
        TBitmap saved = Saved(dir / "tmp0.bmp");
        ASSERT_EQ(saved.PixelFormat(), pf1bit) << depth;
        EXPECT_EQ(saved.ColorTable(), MonochromeColorTable());
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 200; ++x)
                ASSERT_EQ(saved.Pixel(x, y), source.Pixel(x, y) == Yellow ? clWhite : clBlack)
                    << "depth " << depth << " at " << x << "," << y;
    }
}

TEST(PagePicture, PhotographAtFourBitsUsesOnlyTheSixteenColours)
{
    TTempDir dir;
    const TBitmap photo = PhotoPicture(300, 200, 5);
    ASSERT_TRUE(FitAndSavePicture(photo, 4, true, dir / "tmp0.bmp"));
    TBitmap saved = Saved(dir / "tmp0.bmp");
    ASSERT_EQ(saved.PixelFormat(), pf4bit);
    EXPECT_EQ(saved.ColorTable(), SixteenColorTable());
    TColorMatcher nearest(SixteenColorTable());
    std::set<TColor> used;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x) {
            const TColorBytes c = SplitColor(photo.Pixel(x, y));
            ASSERT_EQ(saved.Pixel(x, y), SixteenColorTable()[nearest.Nearest(c.Blue, c.Green, c.Red)]);
            used.insert(saved.Pixel(x, y));
        }
    EXPECT_GT(used.size(), 2u);

    ASSERT_TRUE(FitAndSavePicture(photo, 24, true, dir / "tmp0.bmp"));
    TBitmap full = Saved(dir / "tmp0.bmp");
    ASSERT_EQ(full.PixelFormat(), pf24bit);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            ASSERT_EQ(full.Pixel(x, y), photo.Pixel(x, y)) << "24 bits keep the colours";
}

TEST(PagePicture, NothingWorthSending)
{
    TTempDir dir;
    const std::string out = dir / "tmp0.bmp";
    EXPECT_FALSE(FitAndSavePicture(FilledPicture(700, 900, clWhite), 8, true, out)) << "blank page";
    EXPECT_FALSE(FitAndSavePicture(TBitmap(), 8, true, out)) << "no pixels";
    EXPECT_FALSE(FitAndSavePicture(PhotoPicture(10, 10), 16, true, out)) << "no such depth";
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(PagePicture, EarlierPictureIsReplacedAndAFailedSaveLeavesNone)
{
    TTempDir dir;
    const std::string out = dir / "tmp0.bmp";
    ASSERT_TRUE(FitAndSavePicture(PhotoPicture(40, 30), 24, true, out));
    ASSERT_TRUE(FitAndSavePicture(RedOnYellowPicture(20, 20), 24, true, out));
    EXPECT_EQ(Saved(out).Width(), 20);

    // A folder in the way can be neither deleted nor written over.
    const std::string blocked = dir / "blocked.bmp";
    std::filesystem::create_directories(std::filesystem::path(blocked) / "inside");
    EXPECT_FALSE(FitAndSavePicture(PhotoPicture(40, 30), 24, true, blocked));
    EXPECT_FALSE(FitAndSavePicture(PhotoPicture(40, 30), 24, true, dir / "no-such-folder/tmp0.bmp"));
}
