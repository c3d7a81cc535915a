#include "fax_tiff.h"

#include <cstring>

bool TFaxTiffWriter::Open(const std::string& path)
{
    PageCount = 0;
    LastError.clear();
    return File.Open(path, "w");
}

bool TFaxTiffWriter::AddPage(const TFaxPage& page)
{
    TIFF* tiff = File.Handle();
    if (!tiff || File.Failed())
        return false;
    if (page.Width <= 0 || page.Height <= 0) {
        LastError = "empty page";
        return false;
    }
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(page.Width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(page.Height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<float>(FaxXDpi));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<float>(FaxYDpi));
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(page.Height));
    TIFFSetField(tiff, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(PageCount), static_cast<uint16_t>(0));
    TIFFSetField(tiff, TIFFTAG_SOFTWARE, "pelmor-faxd");
    // The encoder works in place on its input; give it a copy.
    std::vector<uint8_t> strip(page.Bits);
    if (TIFFWriteEncodedStrip(tiff, 0, strip.data(), static_cast<tmsize_t>(strip.size())) < 0
        || !TIFFWriteDirectory(tiff)) {
        if (LastError.empty())
            LastError = File.Error().empty() ? "cannot write TIFF page" : File.Error();
        return false;
    }
    ++PageCount;
    return !File.Failed();
}

bool TFaxTiffWriter::Close()
{
    if (!File.Handle())
        return false;
    bool ok = File.Close();
    return ok && LastError.empty();
}

bool ReadFaxTiff(const std::string& path, std::vector<TFaxPage>& pages, std::string& error,
                 std::vector<double>* yDpi)
{
    pages.clear();
    if (yDpi)
        yDpi->clear();
    TTiffFile file;
    if (!file.Open(path, "r")) {
        error = file.Error();
        return false;
    }
    TIFF* tiff = file.Handle();
    do {
        uint32_t width = 0, height = 0;
        uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISWHITE;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
        if (yDpi) {
            float resolution = 0;
            uint16_t unit = RESUNIT_INCH;
            TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
            if (!TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &resolution))
                resolution = 0;
            yDpi->push_back(unit == RESUNIT_CENTIMETER ? resolution * 2.54 : resolution);
        }
        if (bits != 1 || samples != 1 || width == 0 || height == 0 || width > 20000 || height > 40000
            || TIFFIsTiled(tiff)) {
            error = "not a bilevel fax page";
            return false;
        }
        TFaxPage page(static_cast<int>(width), static_cast<int>(height));
        tmsize_t lineSize = TIFFScanlineSize(tiff);
        if (lineSize < page.RowBytes()) {
            error = "bad TIFF line size";
            return false;
        }
        std::vector<uint8_t> line(static_cast<size_t>(lineSize));
        for (uint32_t y = 0; y < height; ++y) {
            if (TIFFReadScanline(tiff, line.data(), y, 0) < 0) {
                error = file.Error().empty() ? "cannot read TIFF page" : file.Error();
                return false;
            }
            uint8_t* row = page.Row(static_cast<int>(y));
            std::memcpy(row, line.data(), static_cast<size_t>(page.RowBytes()));
            if (photometric == PHOTOMETRIC_MINISBLACK)
                for (int i = 0; i < page.RowBytes(); ++i)
                    row[i] = static_cast<uint8_t>(~row[i]);
            if (width % 8)
                row[page.RowBytes() - 1] &= static_cast<uint8_t>(0xFF00 >> (width % 8));
        }
        pages.push_back(std::move(page));
    } while (TIFFReadDirectory(tiff));
    if (file.Failed()) {
        error = file.Error();
        return false;
    }
    return true;
}

int CountTiffPages(const std::string& path)
{
    TTiffFile file;
    if (!file.Open(path, "r"))
        return 0;
    int count = 0;
    do
        ++count;
    while (TIFFReadDirectory(file.Handle()));
    return count;
}

bool ReadFaxReadyTiff(const std::string& path, std::vector<TFaxPage>& pages)
{
    std::vector<double> yDpi;
    std::string error;
    if (!ReadFaxTiff(path, pages, error, &yDpi)) {
        pages.clear();
        return false;
    }
    auto near = [](double value, double wanted) { return value > wanted - 3 && value < wanted + 3; };
    for (size_t i = 0; i < pages.size(); ++i) {
        TFaxPage& page = pages[i];
        if (page.Width != FaxPageWidth || !(near(yDpi[i], FaxYDpi) || near(yDpi[i], FaxYDpi / 2))) {
            pages.clear();
            return false;
        }
        if (near(yDpi[i], FaxYDpi))
            continue;
        TFaxPage fine(page.Width, page.Height * 2);
        for (int y = 0; y < page.Height; ++y) {
            std::memcpy(fine.Row(2 * y), page.Row(y), static_cast<size_t>(page.RowBytes()));
            std::memcpy(fine.Row(2 * y + 1), page.Row(y), static_cast<size_t>(page.RowBytes()));
        }
        page = std::move(fine);
    }
    return true;
}
