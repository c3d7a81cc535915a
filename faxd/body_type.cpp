#include "body_type.h"

#include "text_encoding.h"

#include "durable/unique_file.h"
#include "automation/office/office_format.h"

#include <cstdio>
#include <memory>
#include <string_view>

namespace {

bool HasPrefix(const std::string& head, std::string_view prefix)
{
    return head.compare(0, prefix.size(), prefix) == 0;
}

struct TBodyName {
    TBodyType Type;
    const char* Name;
};

constexpr TBodyName BodyNames[] = {
    {btText, "text"}, {btBmp, "bmp"},   {btJpeg, "jpeg"}, {btPng, "png"},   {btTiff, "tiff"},
    {btPdf, "pdf"},   {btDoc, "doc"},   {btDocx, "docx"}, {btDocm, "docm"}, {btXls, "xls"},
    {btXlsx, "xlsx"}, {btXlsm, "xlsm"}, {btPpt, "ppt"},   {btPptx, "pptx"}, {btOdt, "odt"},
    {btOds, "ods"},   {btOdp, "odp"},   {btRtf, "rtf"},   {btCsv, "csv"},
};

} // namespace

TBodyType SniffBodyType(const std::string& path, std::string& error, const std::string& nameHint)
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

    std::string office = SniffOfficeFormat(path, nameHint);
    if (!office.empty() && office != "csv")
        return BodyTypeFromName(office);

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
    return office == "csv" ? btCsv : btText;
}

bool IsOfficeBody(TBodyType type)
{
    return type >= btDoc;
}

const char* BodyTypeName(TBodyType type)
{
    for (const TBodyName& entry : BodyNames)
        if (entry.Type == type)
            return entry.Name;
    return "unknown";
}

TBodyType BodyTypeFromName(const std::string& name)
{
    for (const TBodyName& entry : BodyNames)
        if (name == entry.Name)
            return entry.Type;
    return btUnknown;
}
