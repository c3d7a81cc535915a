#include "fax_page_image.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr uint32_t MaxSide = 40000;

int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TTiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TTiffHandle = std::unique_ptr<TIFF, TTiffCloser>;

TTiffHandle OpenQuietly(const QString& path) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, &Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, &Quiet, nullptr);
    TTiffHandle tiff(TIFFOpenExt(path.toLocal8Bit().constData(), "r", options));
    TIFFOpenOptionsFree(options);
    return tiff;
}

double Resolution(TIFF* tiff, ttag_t tag, double fallback) {
    float value = 0;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (!TIFFGetField(tiff, tag, &value) || !(value > 1 && value < 10000)) return fallback;
    return unit == RESUNIT_CENTIMETER ? value * 2.54 : value;
}

}  // namespace

QSize TFaxPageImage::DisplaySize(int width) const {
    if (Image.isNull() || width <= 0) return {};
    double height = width * (Image.height() / YDpi) / (Image.width() / XDpi);
    return {width, qMax(1, qRound(height))};
}

int CountFaxPages(const QString& path) {
    TTiffHandle tiff = OpenQuietly(path);
    if (!tiff) return 0;
    int count = 0;
    do ++count;
    while (TIFFReadDirectory(tiff.get()));
    return count;
}

bool ReadFaxPageImage(const QString& path, int index, TFaxPageImage& page, QString& error) {
    TTiffHandle tiff = OpenQuietly(path);
    if (!tiff) {
        error = QStringLiteral("cannot open the fax");
        return false;
    }
    if (index < 0 || !TIFFSetDirectory(tiff.get(), static_cast<tdir_t>(index))) {
        error = QStringLiteral("no such page");
        return false;
    }
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tiff.get(), TIFFTAG_PHOTOMETRIC, &photometric);
    if (bits != 1 || samples != 1 || width == 0 || height == 0 || width > MaxSide || height > MaxSide ||
        TIFFIsTiled(tiff.get()) || TIFFScanlineSize(tiff.get()) < static_cast<tmsize_t>((width + 7) / 8)) {
        error = QStringLiteral("not a fax page");
        return false;
    }
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_Mono);
    if (image.isNull()) {
        error = QStringLiteral("page too large");
        return false;
    }
    // The bits go in as they are; the colour table says which sense is black.
    bool blackIsZero = photometric == PHOTOMETRIC_MINISBLACK;
    image.setColorTable({blackIsZero ? qRgb(0, 0, 0) : qRgb(255, 255, 255),
                         blackIsZero ? qRgb(255, 255, 255) : qRgb(0, 0, 0)});
    std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize(tiff.get())));
    const size_t rowBytes = (width + 7) / 8;
    for (uint32_t y = 0; y < height; ++y) {
        if (TIFFReadScanline(tiff.get(), line.data(), y, 0) < 0) {
            error = QStringLiteral("the page is damaged");
            return false;
        }
        std::memcpy(image.scanLine(static_cast<int>(y)), line.data(), rowBytes);
    }
    page.Image = std::move(image);
    page.XDpi = Resolution(tiff.get(), TIFFTAG_XRESOLUTION, 204);
    page.YDpi = Resolution(tiff.get(), TIFFTAG_YRESOLUTION, 196);
    return true;
}

QImage DisplayImage(const TFaxPageImage& page, int width) {
    QSize size = page.DisplaySize(width);
    if (size.isEmpty()) return {};
    const QImage& source = page.Image;
    const int sourceWidth = source.width(), sourceHeight = source.height();
    if (size.width() >= sourceWidth)
        return source.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);

    // Made smaller across: each screen pixel is the share of ink in the page
    // pixels it covers. Across, whole columns are counted into the screen
    // column they fall in; down, rows are averaged when there are more page
    // rows than screen rows and repeated when there are fewer (a 98-line page
    // shown tall). Fax pages are mostly white, and white bytes cost nothing.
    const int outWidth = size.width(), outHeight = size.height();
    std::vector<int> column(static_cast<size_t>(sourceWidth));
    std::vector<int> columnSpan(static_cast<size_t>(outWidth), 0);
    for (int x = 0; x < sourceWidth; ++x) {
        column[static_cast<size_t>(x)] = static_cast<int>(static_cast<long long>(x) * outWidth / sourceWidth);
        ++columnSpan[static_cast<size_t>(column[static_cast<size_t>(x)])];
    }
    const bool blackIsOne = qGray(source.color(1)) < 128;
    const uint8_t white = blackIsOne ? 0x00 : 0xFF;
    const int rowBytes = (sourceWidth + 7) / 8;
    auto countInk = [&](int y, std::vector<int>& ink) {
        const uint8_t* row = source.constScanLine(y);
        for (int byte = 0; byte < rowBytes; ++byte) {
            uint8_t bits = row[byte] ^ white;
            if (!bits) continue;
            for (int bit = 0; bit < 8; ++bit) {
                int x = byte * 8 + bit;
                if ((bits & (0x80 >> bit)) && x < sourceWidth) ++ink[static_cast<size_t>(column[static_cast<size_t>(x)])];
            }
        }
    };
    QImage out(outWidth, outHeight, QImage::Format_Grayscale8);
    std::vector<int> ink(static_cast<size_t>(outWidth));
    auto writeRow = [&](int y, int rows) {
        uchar* line = out.scanLine(y);
        for (int x = 0; x < outWidth; ++x) {
            int area = columnSpan[static_cast<size_t>(x)] * rows;
            line[x] = static_cast<uchar>(area ? 255 - 255 * ink[static_cast<size_t>(x)] / area : 255);
        }
    };
    if (outHeight <= sourceHeight) {
        int y = 0;
        for (int outY = 0; outY < outHeight; ++outY) {
            int end = static_cast<int>(static_cast<long long>(outY + 1) * sourceHeight / outHeight);
            std::fill(ink.begin(), ink.end(), 0);
            int rows = 0;
            for (; y < end; ++y, ++rows) countInk(y, ink);
            writeRow(outY, rows);
        }
    } else {
        int counted = -1;
        for (int outY = 0; outY < outHeight; ++outY) {
            int y = static_cast<int>(static_cast<long long>(outY) * sourceHeight / outHeight);
            if (y != counted) {
                std::fill(ink.begin(), ink.end(), 0);
                countInk(y, ink);
                counted = y;
                writeRow(outY, 1);
            } else {
                std::memcpy(out.scanLine(outY), out.constScanLine(outY - 1), static_cast<size_t>(outWidth));
            }
        }
    }
    return out;
}
