#include "body_type.h"

#include "text_encoding.h"

#include "durable/unique_file.h"

#include <cstdio>
#include <memory>
#include <string_view>

namespace {

bool HasPrefix(const std::string& head, std::string_view prefix)
{
    return head.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

TBodyType SniffBodyType(const std::string& path, std::string& error)
{
    TUniqueFile file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot read the file";
        return btUnknown;
    }
    std::string head(4096, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), file.get()));
    if (head.empty()) {
        error = "empty file";
        return btUnknown;
    }
    if (HasPrefix(head, "BM") && head.size() >= 26)
        return btBmp;
    if (HasPrefix(head, "\xFF\xD8\xFF"))
        return btJpeg;
    if (HasPrefix(head, "\x89PNG\r\n\x1A\n"))
        return btPng;
    if (HasPrefix(head, std::string_view("II*\0", 4)) || HasPrefix(head, std::string_view("MM\0*", 4))
        || HasPrefix(head, std::string_view("II+\0", 4)) || HasPrefix(head, std::string_view("MM\0+", 4)))
        return btTiff;
    // PDF readers accept the header anywhere in the first kilobyte.
    if (head.substr(0, 1024).find("%PDF-") != std::string::npos)
        return btPdf;

    // Text: the whole file must decode.
    if (head.find('\0') != std::string::npos && !HasPrefix(head, "\xFF\xFE") && !HasPrefix(head, "\xFE\xFF")) {
        error = "unsupported file type";
        return btUnknown;
    }
    std::string all = head;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        all.append(buffer, got);
        if (static_cast<long long>(all.size()) > MaxTextBytes) {
            error = "unsupported file type";
            return btUnknown;
        }
    }
    if (DetectTextEncoding(all) == teNone) {
        error = "unsupported file type";
        return btUnknown;
    }
    return btText;
}

const char* BodyTypeName(TBodyType type)
{
    switch (type) {
    case btText: return "text";
    case btBmp: return "bmp";
    case btJpeg: return "jpeg";
    case btPng: return "png";
    case btTiff: return "tiff";
    case btPdf: return "pdf";
    case btUnknown: break;
    }
    return "unknown";
}

TBodyType BodyTypeFromName(const std::string& name)
{
    for (TBodyType type : {btText, btBmp, btJpeg, btPng, btTiff, btPdf})
        if (name == BodyTypeName(type))
            return type;
    return btUnknown;
}
