#include "picture_readers.h"

#include "tiff_file.h"

#include <algorithm>

namespace {

constexpr uint32_t BandRows = 64;

// One page (the current directory) through libtiff's RGBA interface, in
// bands of rows so that no full-size colour buffer is needed.
bool ReadPage(TTiffFile& file, TGreyPicture& picture, std::vector<uint32_t>& band, std::string& error)
{
    TIFF* tiff = file.Handle();
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, samples = 1;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    if (!AllocatePicture(picture, width, height, error))
        return false;
    picture.BiLevel = bits == 1 && samples == 1;

    char message[1024] = "";
    if (!TIFFRGBAImageOK(tiff, message)) {
        error = std::string("unsupported TIFF page: ") + message;
        return false;
    }
    TIFFRGBAImage image{};
    if (!TIFFRGBAImageBegin(&image, tiff, 0, message)) {
        error = std::string("unsupported TIFF page: ") + message;
        return false;
    }
    image.req_orientation = ORIENTATION_TOPLEFT;
    band.assign(static_cast<size_t>(width) * BandRows, 0);
    bool ok = true;
    for (uint32_t top = 0; top < height && ok; top += BandRows) {
        uint32_t rows = std::min(BandRows, height - top);
        image.row_offset = static_cast<int>(top);
        image.col_offset = 0;
        if (!TIFFRGBAImageGet(&image, band.data(), width, rows) || file.Failed()) {
            ok = false;
            break;
        }
        for (uint32_t y = 0; y < rows; ++y) {
            const uint32_t* in = band.data() + static_cast<size_t>(y) * width;
            uint8_t* out = picture.Row(static_cast<int>(top + y));
            for (uint32_t x = 0; x < width; ++x) {
                uint32_t p = in[x];
                out[x] = OverWhite(GreyOf(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p)), TIFFGetA(p));
            }
        }
    }
    TIFFRGBAImageEnd(&image);
    if (!ok)
        error = "corrupt TIFF page" + (file.Error().empty() ? std::string() : ": " + file.Error());
    return ok;
}

} // namespace

bool ReadTiffPictures(const std::string& path, const std::function<bool(const TGreyPicture&)>& onPage,
                      std::string& error)
{
    TTiffFile file;
    if (!file.Open(path, "r", 64L << 20)) {
        error = "corrupt TIFF: " + file.Error();
        return false;
    }
    std::vector<uint32_t> band;
    int pages = 0;
    do {
        TGreyPicture picture;
        if (!ReadPage(file, picture, band, error)) {
            error = "page " + std::to_string(pages + 1) + ": " + error;
            return false;
        }
        ++pages;
        if (!onPage(picture))
            return false;
        if (pages > 10000) {
            error = "too many TIFF pages";
            return false;
        }
    } while (TIFFReadDirectory(file.Handle()));
    if (file.Failed()) {
        error = "corrupt TIFF: " + file.Error();
        return false;
    }
    return true;
}
