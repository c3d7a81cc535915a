#include "fax_page_files.h"

#include <tiffio.h>

TFaxPage MakePatternPage(int height, int seed) {
    TFaxPage page;
    const int bytes = page.Width / 8;
    unsigned state = 2463534242u + static_cast<unsigned>(seed) * 7919u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    for (int y = 0; y < height; ++y) {
        std::string row(static_cast<size_t>(bytes), '\0');
        if (y % 50 < 3) {
            for (int x = 10; x < bytes - 10; ++x) row[x] = static_cast<char>(0xff);
        } else if (y % 50 > 10 && y % 50 < 40) {
            // Strokes like letters: a few runs per row, changing with the line.
            for (int block = 0; block < 12; ++block) {
                int at = 12 + static_cast<int>(next() % static_cast<unsigned>(bytes - 30));
                int length = 1 + static_cast<int>(next() % 4);
                static const unsigned char strokes[] = {0xff, 0xf0, 0x0f, 0x3c, 0xc3, 0xe7};
                for (int x = at; x < at + length; ++x) row[x] = static_cast<char>(strokes[next() % 6]);
            }
        }
        page.Rows.push_back(row);
    }
    return page;
}

bool WriteFaxTiff(const std::string& path, const std::vector<TFaxPage>& pages) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (!tiff) return false;
    bool ok = true;
    for (size_t p = 0; p < pages.size() && ok; ++p) {
        const TFaxPage& page = pages[p];
        TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, page.Width);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(page.Rows.size()));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 204.0f);
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 196.0f);
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(page.Rows.size()));
        TIFFSetField(tiff, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(p), static_cast<uint16_t>(pages.size()));
        for (size_t y = 0; y < page.Rows.size() && ok; ++y) {
            std::string row = page.Rows[y];
            ok = TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), 0) == 1;
        }
        ok = ok && TIFFWriteDirectory(tiff);
    }
    TIFFClose(tiff);
    return ok;
}

std::vector<TFaxPage> ReadFaxTiff(const std::string& path) {
    std::vector<TFaxPage> pages;
    TIFFSetWarningHandler(nullptr);
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (!tiff) return {};
    do {
        uint32_t width = 0, height = 0;
        uint16_t bits = 0, photometric = PHOTOMETRIC_MINISWHITE;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
        if (bits != 1 || width == 0 || width % 8 != 0) {
            TIFFClose(tiff);
            return {};
        }
        TFaxPage page;
        page.Width = static_cast<int>(width);
        std::string row(TIFFScanlineSize(tiff), '\0');
        for (uint32_t y = 0; y < height; ++y) {
            if (TIFFReadScanline(tiff, row.data(), y, 0) != 1) {
                TIFFClose(tiff);
                return {};
            }
            std::string packed = row.substr(0, width / 8);
            if (photometric == PHOTOMETRIC_MINISBLACK) {
                for (char& c : packed) c = static_cast<char>(~c);
            }
            page.Rows.push_back(packed);
        }
        pages.push_back(std::move(page));
    } while (TIFFReadDirectory(tiff));
    TIFFClose(tiff);
    return pages;
}
