#include "inbox_name.h"

#include <cstdio>

namespace {

constexpr std::string_view PdfSuffix = ".pdf";
constexpr std::string_view Untitled = "無題";
constexpr std::string_view Unsafe = "/\\:*?\"<>|";

bool EndsWithPdf(std::string_view name) {
    if (name.size() < PdfSuffix.size()) return false;
    std::string_view tail = name.substr(name.size() - PdfSuffix.size());
    for (size_t i = 0; i < tail.size(); ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != PdfSuffix[i]) return false;
    }
    return true;
}

// The length of the valid UTF-8 sequence at the start of text, 0 when invalid.
size_t Utf8Length(std::string_view text) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(0);
    size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || length > text.size()) return 0;
    if (length == 2 && lead < 0xC2) return 0;  // overlong
    for (size_t i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80) return 0;
    if (length == 3 && lead == 0xE0 && byte(1) < 0xA0) return 0;
    if (length == 3 && lead == 0xED && byte(1) >= 0xA0) return 0;  // surrogates
    if (length == 4 && (lead > 0xF4 || (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90))) return 0;
    return length;
}

bool IsDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace

std::string InboxFolderUnder(const std::string& dataHome) { return dataHome + "/pelmor/inbox"; }

std::string SafeFileTitle(std::string_view title) {
    if (EndsWithPdf(title)) title.remove_suffix(PdfSuffix.size());
    std::string safe;
    while (!title.empty()) {
        size_t length = Utf8Length(title);
        if (length == 0) {
            safe += '_';
            title.remove_prefix(1);
            continue;
        }
        unsigned char c = static_cast<unsigned char>(title[0]);
        bool unsafe = length == 1 && (c < 0x20 || c == 0x7F || Unsafe.find(static_cast<char>(c)) != std::string_view::npos);
        if (safe.size() + (unsafe ? 1 : length) > MaxTitleBytes) break;
        if (unsafe)
            safe += '_';
        else
            safe.append(title.substr(0, length));
        title.remove_prefix(length);
    }
    size_t start = safe.find_first_not_of(". ");
    safe.erase(0, start == std::string::npos ? safe.size() : start);
    while (!safe.empty() && (safe.back() == ' ' || safe.back() == '.')) safe.pop_back();
    return safe.empty() ? std::string(Untitled) : safe;
}

std::string InboxFileName(std::time_t when, int jobId, std::string_view title) {
    std::tm local{};
    localtime_r(&when, &local);
    char prefix[64];
    std::strftime(prefix, sizeof prefix, "%Y%m%d-%H%M%S", &local);
    char number[32];
    std::snprintf(number, sizeof number, "-%06d-", jobId);
    return std::string(prefix) + number + SafeFileTitle(title) + std::string(PdfSuffix);
}

bool IsInboxDocumentName(std::string_view fileName) {
    return fileName.size() > PdfSuffix.size() && fileName[0] != '.' && EndsWithPdf(fileName);
}

std::string TitleOfInboxFile(std::string_view fileName) {
    if (EndsWithPdf(fileName)) fileName.remove_suffix(PdfSuffix.size());
    // yyyymmdd-hhmmss-JOBID-
    size_t first = fileName.find('-');
    size_t second = first == std::string_view::npos ? first : fileName.find('-', first + 1);
    size_t third = second == std::string_view::npos ? second : fileName.find('-', second + 1);
    if (third != std::string_view::npos && first == 8 && second == 15 && IsDigits(fileName.substr(0, 8)) &&
        IsDigits(fileName.substr(9, 6)) && IsDigits(fileName.substr(16, third - 16)))
        return std::string(fileName.substr(third + 1));
    return std::string(fileName);
}
