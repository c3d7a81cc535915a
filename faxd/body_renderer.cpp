#include "body_renderer.h"

#include "fax_tiff.h"
#include "pdf_renderer.h"
#include "picture_fit.h"
#include "picture_readers.h"
#include "text_encoding.h"
#include "text_renderer.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

// Picture files larger than this are refused before they are read.
constexpr std::streamoff MaxPictureFileBytes = 512LL << 20;

bool ReadWhole(const std::string& path, std::string& bytes, std::streamoff limit, std::string& error)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        error = "cannot read the file";
        return false;
    }
    std::streamoff size = in.tellg();
    if (size < 0 || size > limit) {
        error = "file too large";
        return false;
    }
    bytes.resize(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(bytes.data(), size)) {
        error = "cannot read the file";
        return false;
    }
    if (bytes.empty()) {
        error = "empty file";
        return false;
    }
    return true;
}

bool RenderInto(const std::string& bodyPath, TBodyType type, TFaxTiffWriter& writer, std::string& error)
{
    auto addPage = [&](const TFaxPage& page) {
        if (writer.Pages() >= MaxRenderedPages) {
            error = "too many pages";
            return false;
        }
        if (!writer.AddPage(page)) {
            error = "cannot write the fax: " + writer.Error();
            return false;
        }
        return true;
    };
    auto addPicture = [&](const TGreyPicture& picture) { return addPage(FitPictureToPage(picture)); };

    std::string bytes;
    TGreyPicture picture;
    switch (type) {
    case btText: {
        std::string utf8;
        if (!ReadWhole(bodyPath, bytes, MaxTextBytes, error))
            return false;
        if (!DecodeText(bytes, utf8)) {
            error = "text in an unknown encoding";
            return false;
        }
        return RenderTextPages(utf8, addPage, error);
    }
    case btBmp:
        return ReadWhole(bodyPath, bytes, MaxPictureFileBytes, error) && ReadBmpPicture(bytes, picture, error)
            && addPicture(picture);
    case btJpeg:
        return ReadWhole(bodyPath, bytes, MaxPictureFileBytes, error) && ReadJpegPicture(bytes, picture, error)
            && addPicture(picture);
    case btPng:
        return ReadWhole(bodyPath, bytes, MaxPictureFileBytes, error) && ReadPngPicture(bytes, picture, error)
            && addPicture(picture);
    case btTiff:
        return ReadTiffPictures(bodyPath, addPicture, error);
    case btPdf:
        return RenderPdfPages(bodyPath, addPage, error);
    case btUnknown:
    default:
        // Office documents reach this point as the PDF LibreOffice made.
        break;
    }
    error = "unsupported file type";
    return false;
}

} // namespace

bool RenderBody(const std::string& bodyPath, TBodyType type, const std::string& tiffPath, int& pages,
                std::string& error)
{
    pages = 0;
    TFaxTiffWriter writer;
    if (!writer.Open(tiffPath)) {
        error = "cannot write the fax: " + writer.Error();
        return false;
    }
    bool ok = RenderInto(bodyPath, type, writer, error);
    if (ok && writer.Pages() == 0) {
        error = "nothing to send";
        ok = false;
    }
    pages = writer.Pages();
    if (!writer.Close() && ok) {
        error = "cannot write the fax: " + writer.Error();
        ok = false;
    }
    if (!ok)
        std::remove(tiffPath.c_str());
    return ok;
}
