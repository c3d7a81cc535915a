#include "body_renderer.h"
#include "fax_tiff.h"
#include "picture_fit.h"
#include "temp_dir.h"
#include "test_pictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

// Renders bytes as a body of the type the service sniffs, checks the TIFF
// Class F tags of every page, and returns the pages (empty on failure, with
// the error).
std::vector<TFaxPage> Render(const std::string& bytes, std::string& error, TBodyType expected = btUnknown)
{
    TTempDir dir;
    std::string body = dir.WriteFile("body", bytes);
    TBodyType type = SniffBodyType(body, error);
    if (expected != btUnknown) {
        EXPECT_EQ(type, expected) << error;
    }
    if (type == btUnknown)
        return {};
    std::string out = dir / "out.tif";
    int pages = 0;
    if (!RenderBody(body, type, out, pages, error)) {
        EXPECT_FALSE(std::filesystem::exists(out)) << "a failed render leaves no fax behind";
        return {};
    }
    TTiffFile file;
    EXPECT_TRUE(file.Open(out, "r"));
    int directories = 0;
    do {
        uint32_t width = 0, height = 0;
        uint16_t compression = 0, unit = 0, bits = 0;
        float xres = 0, yres = 0;
        TIFF* tiff = file.Handle();
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
        TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &xres);
        TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &yres);
        TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
        EXPECT_EQ(width, 1728u);
        EXPECT_EQ(height, 2292u);
        EXPECT_EQ(bits, 1);
        EXPECT_TRUE(compression == COMPRESSION_CCITTFAX4 || compression == COMPRESSION_CCITTFAX3);
        EXPECT_FLOAT_EQ(xres, 204.0f);
        EXPECT_FLOAT_EQ(yres, 196.0f);
        EXPECT_EQ(unit, RESUNIT_INCH);
        EXPECT_EQ(TIFFNumberOfStrips(tiff), 1u);
        ++directories;
    } while (TIFFReadDirectory(file.Handle()));
    std::vector<TFaxPage> result;
    EXPECT_TRUE(ReadFaxTiff(out, result, error)) << error;
    EXPECT_EQ(static_cast<int>(result.size()), pages);
    EXPECT_EQ(directories, pages);
    return result;
}

double Density(const TFaxPage& page, int x0, int y0, int x1, int y1)
{
    long area = static_cast<long>(x1 - x0) * (y1 - y0);
    return area > 0 ? static_cast<double>(page.CountBlack(x0, y0, x1, y1)) / area : 0;
}

// A picture's region (fractions of its width and height) on the fax page.
struct TRegion {
    int X0, Y0, X1, Y1;
};
TRegion OnPage(int width, int height, double fx0, double fy0, double fx1, double fy1)
{
    TPlacement p = PlacePictureOnPage(width, height);
    return {p.Left + static_cast<int>(fx0 * p.Width), p.Top + static_cast<int>(fy0 * p.Height),
            p.Left + static_cast<int>(fx1 * p.Width), p.Top + static_cast<int>(fy1 * p.Height)};
}

// A picture black in its top-left quarter, white elsewhere.
unsigned QuarterBlack(int x, int y, int w, int h) { return (x < w / 2 && y < h / 2) ? 0x000000 : 0xFFFFFF; }

void ExpectInkInTopLeftQuarterOnly(const TFaxPage& page, int w, int h)
{
    // Insets keep away from the edge where scaling may smear a pixel.
    TRegion ink = OnPage(w, h, 0.05, 0.05, 0.45, 0.45);
    TRegion right = OnPage(w, h, 0.55, 0.05, 0.95, 0.95);
    TRegion below = OnPage(w, h, 0.05, 0.55, 0.45, 0.95);
    EXPECT_GT(Density(page, ink.X0, ink.Y0, ink.X1, ink.Y1), 0.98);
    EXPECT_LT(Density(page, right.X0, right.Y0, right.X1, right.Y1), 0.02);
    EXPECT_LT(Density(page, below.X0, below.Y0, below.X1, below.Y1), 0.02);
    // Nothing outside the picture's place.
    TPlacement p = PlacePictureOnPage(w, h);
    EXPECT_EQ(page.CountBlack(0, p.Top + p.Height + 1, page.Width, page.Height), 0);
}

} // namespace

TEST(PictureRendering, BmpOfEveryDepthAndRowOrderLandsWhereItsInkIs)
{
    const int w = 120, h = 90;
    for (int bits : {1, 4, 8, 24})
        for (bool topDown : {false, true}) {
            SCOPED_TRACE("bits " + std::to_string(bits) + (topDown ? " top-down" : " bottom-up"));
            std::string error;
            std::vector<TFaxPage> pages =
                Render(MakeBmp(w, h, bits, topDown, [&](int x, int y) { return QuarterBlack(x, y, w, h); }), error,
                       btBmp);
            ASSERT_EQ(pages.size(), 1u) << error;
            ExpectInkInTopLeftQuarterOnly(pages[0], w, h);
        }
}

TEST(PictureRendering, SmallPictureIsEnlargedToFillThePageWidthOrHeight)
{
    // The application sends pictures of at most 544 x 826.
    TPlacement p = PlacePictureOnPage(544, 826);
    EXPECT_TRUE(p.Width >= FaxPageWidth - 2 * PictureMarginX - 1 || p.Height >= FaxPageHeight - 2 * PictureMarginY - 1);
    // Proportions kept in inches: width / 204 over height / 196.
    double aspect = (p.Width / FaxXDpi) / (p.Height / FaxYDpi);
    EXPECT_NEAR(aspect, 544.0 / 826.0, 0.01);
    TPlacement wide = PlacePictureOnPage(2000, 100);
    EXPECT_EQ(wide.Width, FaxPageWidth - 2 * PictureMarginX);
    EXPECT_NEAR((wide.Width / FaxXDpi) / (wide.Height / FaxYDpi), 20.0, 0.5);
}

TEST(PictureRendering, OneBitPictureIsScaledWithoutBlurOrDither)
{
    // Squares of 10 x 10 source pixels: each square's inside is all ink or all paper.
    const int w = 100, h = 100;
    auto checker = [](int x, int y) { return ((x / 10 + y / 10) & 1) ? 0xFFFFFFu : 0u; };
    std::string error;
    std::vector<TFaxPage> pages = Render(MakeBmp(w, h, 1, false, checker), error, btBmp);
    ASSERT_EQ(pages.size(), 1u) << error;
    TPlacement p = PlacePictureOnPage(w, h);
    for (int sy = 0; sy < 10; ++sy)
        for (int sx = 0; sx < 10; ++sx) {
            int x0 = p.Left + (sx * 10 + 1) * p.Width / w, x1 = p.Left + (sx * 10 + 9) * p.Width / w;
            int y0 = p.Top + (sy * 10 + 1) * p.Height / h, y1 = p.Top + (sy * 10 + 9) * p.Height / h;
            double d = Density(pages[0], x0, y0, x1, y1);
            if ((sx + sy) & 1)
                EXPECT_EQ(d, 0.0);
            else
                EXPECT_EQ(d, 1.0);
        }
}

TEST(PictureRendering, GreyAndColourAreDitheredToMatchingDensity)
{
    // A left-to-right ramp from black to white: ink density falls across the page
    // and matches the grey level.
    const int w = 256, h = 64;
    auto ramp = [](int x, int) { unsigned g = static_cast<unsigned>(x); return g << 16 | g << 8 | g; };
    for (const std::string& bytes : {MakeBmp(w, h, 8, false, ramp), MakeBmp(w, h, 24, true, ramp), MakePng(w, h, ramp),
                                     MakeJpeg(w, h, ramp)}) {
        std::string error;
        std::vector<TFaxPage> pages = Render(bytes, error);
        ASSERT_EQ(pages.size(), 1u) << error;
        for (double f : {0.125, 0.375, 0.625, 0.875}) {
            TRegion r = OnPage(w, h, f - 0.05, 0.1, f + 0.05, 0.9);
            EXPECT_NEAR(Density(pages[0], r.X0, r.Y0, r.X1, r.Y1), 1.0 - f, 0.08) << "at " << f;
        }
    }
}

TEST(PictureRendering, PngJpegAndEveryTiffPageShowTheirContent)
{
    const int w = 200, h = 300;
    auto quarter = [&](int x, int y) { return QuarterBlack(x, y, w, h); };
    std::string error;
    for (const std::string& bytes : {MakePng(w, h, quarter), MakeJpeg(w, h, quarter)}) {
        std::vector<TFaxPage> pages = Render(bytes, error);
        ASSERT_EQ(pages.size(), 1u) << error;
        ExpectInkInTopLeftQuarterOnly(pages[0], w, h);
    }
    TTempDir dir;
    ASSERT_TRUE(WriteTwoPageTiff(dir / "two.tif", w, h, quarter));
    std::vector<TFaxPage> pages = Render(ReadFileBytes(dir / "two.tif"), error, btTiff);
    ASSERT_EQ(pages.size(), 2u) << error;
    ExpectInkInTopLeftQuarterOnly(pages[0], w, h);
    ExpectInkInTopLeftQuarterOnly(pages[1], w, h);
}

TEST(PdfRendering, EveryPageIsRenderedWithItsInkInPlace)
{
    TTempDir dir;
    ASSERT_TRUE(WritePdfWithBoxes(dir / "doc.pdf", 3, 0.1, 0.1, 0.4, 0.3));
    std::string error;
    std::vector<TFaxPage> pages = Render(ReadFileBytes(dir / "doc.pdf"), error, btPdf);
    ASSERT_EQ(pages.size(), 3u) << error;
    // A4 fits the page's height: the box is at the same fractions of the placed page.
    TPlacement p = PlacePictureOnPage(210, 297);
    auto at = [&](double fx, double fy) {
        return std::pair{p.Left + static_cast<int>(fx * p.Width), p.Top + static_cast<int>(fy * p.Height)};
    };
    for (const TFaxPage& page : pages) {
        auto [x0, y0] = at(0.12, 0.12);
        auto [x1, y1] = at(0.38, 0.28);
        EXPECT_GT(Density(page, x0, y0, x1, y1), 0.98);
        auto [a0, b0] = at(0.5, 0.4);
        auto [a1, b1] = at(0.9, 0.9);
        EXPECT_EQ(Density(page, a0, b0, a1, b1), 0.0);
    }
}

TEST(BadInput, CorruptTruncatedEmptyAndHugeFilesFailWithAClearError)
{
    const int w = 64, h = 64;
    auto grey = [](int x, int y) { return static_cast<unsigned>((x * y) & 0xFF) * 0x010101u; };
    std::string bmp = MakeBmp(w, h, 24, false, grey);
    std::string png = MakePng(w, h, grey);
    std::string jpeg = MakeJpeg(w, h, grey);
    TTempDir dir;
    ASSERT_TRUE(WriteTwoPageTiff(dir / "t.tif", w, h, grey));
    std::string tiff = ReadFileBytes(dir / "t.tif");
    ASSERT_TRUE(WritePdfWithBoxes(dir / "d.pdf", 1, 0.1, 0.1, 0.2, 0.2));
    std::string pdf = ReadFileBytes(dir / "d.pdf");

    // A BMP declaring 100000 x 100000 pixels.
    std::string hugeBmp = bmp;
    for (int i = 0; i < 2; ++i) {
        unsigned v = 100000;
        for (int k = 0; k < 4; ++k)
            hugeBmp[18 + 4 * i + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
    }
    // A PNG whose header says 100000 x 100000 (the CRC no longer fits either).
    std::string hugePng = png;
    hugePng[16] = 0; hugePng[17] = 1; hugePng[18] = static_cast<char>(0x86); hugePng[19] = static_cast<char>(0xA0);
    hugePng[20] = 0; hugePng[21] = 1; hugePng[22] = static_cast<char>(0x86); hugePng[23] = static_cast<char>(0xA0);

    struct TCase {
        const char* Name;
        std::string Bytes;
    };
    std::vector<TCase> cases = {
        {"truncated bmp", bmp.substr(0, bmp.size() / 2)},
        {"huge bmp", hugeBmp},
        {"truncated png", png.substr(0, png.size() - 30)},
        {"huge png", hugePng},
        {"truncated jpeg", jpeg.substr(0, jpeg.size() / 2)},
        {"jpeg header only", jpeg.substr(0, 20)},
        {"truncated tiff", tiff.substr(0, tiff.size() / 3)},
        {"tiff header only", std::string("II*\0\x08\0\0\0", 8)},
        {"truncated pdf", pdf.substr(0, pdf.size() / 3)},
        {"pdf header only", "%PDF-1.4\n"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string error;
        std::vector<TFaxPage> pages = Render(c.Bytes, error);
        EXPECT_TRUE(pages.empty());
        EXPECT_FALSE(error.empty());
    }
    std::string error;
    EXPECT_EQ(SniffBodyType(dir.WriteFile("empty", ""), error), btUnknown);
    EXPECT_EQ(error, "empty file");
    EXPECT_EQ(SniffBodyType(dir.WriteFile("zip", std::string("PK\3\4\0\0binary", 12)), error), btUnknown);
    EXPECT_EQ(error, "unsupported file type");
    EXPECT_EQ(SniffBodyType(dir / "missing", error), btUnknown);
}
