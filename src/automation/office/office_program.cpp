#include "automation/office/office_program.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <unistd.h>

namespace {

bool IsExecutableFile(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) && access(path.c_str(), X_OK) == 0;
}

std::filesystem::path SearchPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!rest.empty()) {
        size_t colon = rest.find(':');
        std::string_view folder = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (folder.empty()) continue;
        std::filesystem::path candidate = std::filesystem::path(folder) / name;
        if (IsExecutableFile(candidate)) return candidate;
    }
    return {};
}

} // namespace

std::string FindOfficeProgram(const std::string& program) {
    if (program.empty()) return {};
    std::filesystem::path found =
        program.find('/') == std::string::npos ? SearchPath(program) : std::filesystem::path(program);
    if (found.empty() || !IsExecutableFile(found)) return {};
    std::error_code ec;
    std::filesystem::path real = std::filesystem::canonical(found, ec);
    if (ec) return {};
    if (real.filename() == "soffice") {
        std::filesystem::path office = real.parent_path() / "soffice.bin";
        if (IsExecutableFile(office)) return office.string();
    }
    return real.string();
}

bool IsOfficeRestartRequest(int exitCode) { return exitCode == 81; }

std::string FileUrlOf(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
                     c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}
