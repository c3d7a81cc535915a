#include "automation/office/document_sniffer.h"

#include <fstream>

namespace {

// The beginnings of binary formats that Word or Excel open.
constexpr std::string_view BinarySignatures[] = {
    std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), // compound file: Word 6 and later, Excel 5 and later
    std::string_view("PK\x03\x04", 4),                        // zip package: docx, xlsx, odt, ods
    std::string_view("\x09\x00", 2),                          // Excel 2 worksheet
    std::string_view("\x09\x02", 2),                          // Excel 3 worksheet
    std::string_view("\x09\x04", 2),                          // Excel 4 worksheet
    std::string_view("\x9B\xA5", 2),                          // Word 2 for Windows
    std::string_view("\x31\xBE", 2),                          // Word for DOS
    std::string_view("\xFF\x57\x50\x43", 4),                  // WordPerfect
    std::string_view("\xFF\xFE", 2),                          // UTF-16 (and UTF-32) text, little-endian
    std::string_view("\xFE\xFF", 2),                          // UTF-16 text, big-endian
    std::string_view("\x00\x00\xFE\xFF", 4),                  // UTF-32 text, big-endian
};

constexpr size_t HeadSize = 65536;

} // namespace

bool LooksLikeDocument(std::string_view head) {
    for (std::string_view signature : BinarySignatures)
        if (head.starts_with(signature)) return true;
    return head.find('\0') == std::string_view::npos;
}

bool FileLooksLikeDocument(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string head(HeadSize, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return LooksLikeDocument(head);
}
