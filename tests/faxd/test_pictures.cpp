#include "test_pictures.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <tiffio.h>
#include <vector>

namespace {

void Put16(std::string& s, unsigned v)
{
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& s, unsigned v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

QImage MakeImage(int width, int height, const std::function<unsigned(int, int)>& pixel)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, 0xFF000000u | pixel(x, y));
    return image;
}

std::string Encode(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes.toStdString();
}

} // namespace

std::string MakeBmp(int width, int height, int bits, bool topDown, const std::function<unsigned(int, int)>& pixel)
{
    int colours = bits <= 8 ? 1 << bits : 0;
    int stride = (width * bits + 31) / 32 * 4;
    unsigned offset = 14 + 40 + colours * 4;
    std::string s = "BM";
    Put32(s, offset + stride * height);
    Put32(s, 0);
    Put32(s, offset);
    Put32(s, 40);
    Put32(s, static_cast<unsigned>(width));
    Put32(s, static_cast<unsigned>(topDown ? -height : height));
    Put16(s, 1);
    Put16(s, static_cast<unsigned>(bits));
    Put32(s, 0);
    Put32(s, static_cast<unsigned>(stride * height));
    Put32(s, 2835);
    Put32(s, 2835);
    Put32(s, static_cast<unsigned>(colours));
    Put32(s, 0);
    // Grey colour table: index i is grey level i * 255 / (colours - 1).
    for (int i = 0; i < colours; ++i) {
        unsigned g = static_cast<unsigned>(i * 255 / (colours - 1));
        Put32(s, g | g << 8 | g << 16);
    }
    for (int row = 0; row < height; ++row) {
        int y = topDown ? row : height - 1 - row;
        std::vector<unsigned char> line(static_cast<size_t>(stride), 0);
        for (int x = 0; x < width; ++x) {
            unsigned v = pixel(x, y);
            if (bits == 24) {
                line[3 * x] = v & 0xFF;
                line[3 * x + 1] = (v >> 8) & 0xFF;
                line[3 * x + 2] = (v >> 16) & 0xFF;
            } else {
                unsigned index = (v & 0xFF) * (colours - 1) / 255;
                if (bits == 8)
                    line[x] = static_cast<unsigned char>(index);
                else if (bits == 4)
                    line[x / 2] |= static_cast<unsigned char>(index << ((x & 1) ? 0 : 4));
                else
                    line[x / 8] |= static_cast<unsigned char>(index << (7 - (x & 7)));
            }
        }
        s.append(reinterpret_cast<const char*>(line.data()), line.size());
    }
    return s;
}

std::string MakeJpeg(int width, int height, const std::function<unsigned(int, int)>& pixel)
{
    return Encode(MakeImage(width, height, pixel), "JPG");
}

std::string MakePng(int width, int height, const std::function<unsigned(int, int)>& pixel)
{
    return Encode(MakeImage(width, height, pixel), "PNG");
}

bool WriteTwoPageTiff(const std::string& path, int width, int height, const std::function<unsigned(int, int)>& pixel)
{
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (!tiff)
        return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned v = pixel(x, y);
            row[3 * x] = (v >> 16) & 0xFF;
            row[3 * x + 1] = (v >> 8) & 0xFF;
            row[3 * x + 2] = v & 0xFF;
        }
        if (TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), 0) < 0)
            return TIFFClose(tiff), false;
    }
    TIFFWriteDirectory(tiff);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
    std::vector<unsigned char> bits(static_cast<size_t>((width + 7) / 8));
    for (int y = 0; y < height; ++y) {
        std::fill(bits.begin(), bits.end(), 0);
        for (int x = 0; x < width; ++x) {
            unsigned v = pixel(x, y);
            unsigned grey = ((v >> 16 & 0xFF) + (v >> 8 & 0xFF) + (v & 0xFF)) / 3;
            if (grey < 128)
                bits[x / 8] |= static_cast<unsigned char>(0x80 >> (x & 7));
        }
        if (TIFFWriteScanline(tiff, bits.data(), static_cast<uint32_t>(y), 0) < 0)
            return TIFFClose(tiff), false;
    }
    TIFFWriteDirectory(tiff);
    TIFFClose(tiff);
    return true;
}

bool WritePdfWithBoxes(const std::string& path, int pages, double left, double top, double right, double bottom)
{
    QPdfWriter writer(QString::fromStdString(path));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(300);
    QPainter painter(&writer);
    if (!painter.isActive())
        return false;
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        double w = writer.width(), h = writer.height();
        painter.fillRect(QRectF(left * w, top * h, (right - left) * w, (bottom - top) * h), Qt::black);
    }
    return painter.end();
}
