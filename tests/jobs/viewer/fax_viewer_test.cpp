// The page viewer offscreen: true proportions at both fax resolutions,
// thumbnails and zoom, printing and saving as PDF through their seams, and a
// file that is no fax.
#include "fax_viewer.h"
#include "forward_dialog.h"

#include "temp_dir.h"

#include <QPrinter>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstdlib>

namespace {

// A page of 1728 x rows with one black square of one inch, top left at (200, 100).
struct TTestPage {
    int Rows;
    double YDpi;
};

bool WriteFax(const std::string& path, const std::vector<TTestPage>& pages) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (!tiff) return false;
    for (const TTestPage& page : pages) {
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 1728);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, page.Rows);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 204.0f);
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<float>(page.YDpi));
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, page.Rows);
        int squareRows = static_cast<int>(page.YDpi);
        std::vector<uint8_t> row(216);
        for (int y = 0; y < page.Rows; ++y) {
            std::fill(row.begin(), row.end(), 0);
            if (y >= 100 && y < 100 + squareRows)
                for (int x = 200; x < 404; ++x) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            if (TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), 0) < 0) return false;
        }
        TIFFWriteDirectory(tiff);
    }
    TIFFClose(tiff);
    return true;
}

// Width over height of the dark pixels of a grey image.
double DarkAspect(const QImage& image) {
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    return right < 0 ? 0 : double(right - left + 1) / (bottom - top + 1);
}

int PdfPages(const std::string& path) {
    QString bytes = QString::fromLatin1(QByteArray::fromStdString(ReadFileBytes(path)));
    return static_cast<int>(bytes.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

TInboxFax SimulatedFax() {
    TInboxFax fax;
    fax.Id = "3";
    fax.Station = fax.Number = "0312345678";
    fax.Pages = 2;
    fax.Arrived = "2026-12-09T10:00:00";
    fax.Line = "simulated";
    fax.Simulated = true;
    return fax;
}

}  // namespace

// A square inch on paper is square on screen, in thumbnails and on the sheet,
// at standard (98 lines) as at fine (196 lines) resolution.
TEST(FaxViewer, PagesKeepTheirTrueProportionsAtEitherResolution) {
    for (double yDpi : {98.0, 196.0}) {
        SCOPED_TRACE(yDpi);
        TTempDir dir;
        std::string path = dir / "fax.tif";
        ASSERT_TRUE(WriteFax(path, {{static_cast<int>(yDpi * 11.69), yDpi}}));
        TFaxPageImage page;
        QString error;
        ASSERT_TRUE(ReadFaxPageImage(QString::fromStdString(path), 0, page, error)) << error.toStdString();
        EXPECT_NEAR(page.Inches().height(), 11.69, 0.01);
        for (int width : {96, 600, 1200, 1728}) EXPECT_NEAR(DarkAspect(DisplayImage(page, width)), 1.0, 0.06) << width;
    }
}

TEST(FaxViewer, ShowsThumbnailsFitsZoomsPrintsAndSavesEveryPage) {
    TTempDir dir;
    std::string path = dir / "fax.tif";
    ASSERT_TRUE(WriteFax(path, {{1146, 98}, {2292, 196}}));
    TFaxViewer viewer;
    QString error;
    // Loaded before it is shown, as a window opened on a fax is.
    ASSERT_TRUE(viewer.LoadFax(QString::fromStdString(path), SimulatedFax(), error)) << error.toStdString();
    viewer.resize(900, 700);
    viewer.show();
    EXPECT_EQ(viewer.ListBox0->count(), 2);
    EXPECT_TRUE(viewer.Label0->text().contains(QStringLiteral("模擬回線")));
    EXPECT_TRUE(viewer.Label0->text().contains(QStringLiteral("0312345678 から 2 ページ")));
    if (const char* shot = std::getenv("PELMOR_VIEWER_SHOT")) viewer.grab().save(QString::fromLocal8Bit(shot));

    // Fitted, the page fills the view's width; both pages of A4 stand equally tall.
    int fitted = viewer.Image0->width();
    EXPECT_GT(fitted, viewer.ScrollBox0->viewport()->width() - 20);
    int firstHeight = viewer.Image0->height();
    viewer.ListBox0->setCurrentRow(1);
    EXPECT_EQ(viewer.CurrentPage(), 1);
    EXPECT_NEAR(viewer.Image0->height(), firstHeight, 2);

    QTest::mouseClick(viewer.Btn1, Qt::LeftButton);
    EXPECT_FALSE(viewer.FitWidth());
    EXPECT_NEAR(viewer.Image0->width(), fitted * 1.25, 2);
    QTest::mouseClick(viewer.Btn0, Qt::LeftButton);
    EXPECT_EQ(viewer.Image0->width(), fitted);

    std::string printed = dir / "printed.pdf";
    viewer.RunPrintDialog = [&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(printed));
        return true;
    };
    viewer.Btn3Click();
    EXPECT_EQ(PdfPages(printed), 2);

    std::string saved = dir / "saved.pdf";
    viewer.AskPdfPath = [&](QWidget*, const QString& suggested) {
        EXPECT_EQ(suggested, QStringLiteral("FAX-3.pdf"));
        return QString::fromStdString(saved);
    };
    viewer.Btn4Click();
    EXPECT_EQ(PdfPages(saved), 2);
}

TEST(FaxViewer, AFileThatIsNoFaxIsSaidSoAndOffersNothing) {
    TTempDir dir;
    TFaxViewer viewer;
    QString error;
    EXPECT_FALSE(viewer.LoadFax(QString::fromStdString(dir.WriteFile("fax.tif", "II*\0broken")), SimulatedFax(), error));
    EXPECT_TRUE(viewer.Label0->text().startsWith(QStringLiteral("FAXを開けません")));
    EXPECT_EQ(viewer.ListBox0->count(), 0);
    EXPECT_FALSE(viewer.Btn3->isEnabled());
    EXPECT_FALSE(viewer.Btn5->isEnabled());
}

// A destination picked from the book gives its number; 転送 waits for a
// number the service dials.
TEST(ForwardDialog, OffersForwardingOnlyToANumberTheServiceDials) {
    TForwardDialog dialog({{QStringLiteral("山田商事"), QStringLiteral("0312345678")},
                           {QStringLiteral("鈴木"), QStringLiteral("0612345678")}});
    EXPECT_FALSE(dialog.Btn0->isEnabled());
    dialog.ListBox0->setCurrentRow(1);
    EXPECT_EQ(dialog.Number(), QStringLiteral("0612345678"));
    EXPECT_TRUE(dialog.Btn0->isEnabled());
    dialog.Edit0->setText(QStringLiteral("03-1234"));
    EXPECT_FALSE(dialog.Btn0->isEnabled());
}
