#include "send/newest_file.h"

#include <sys/stat.h>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

std::string FindNewestFile(const std::string& folder, bool withPath) {
    std::string result;
    long long best = 0;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return {};
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        struct stat info {};
        if (stat(it->path().c_str(), &info) != 0) continue;
        long long packed = static_cast<long long>(info.st_mtime) / 2;  // two-second steps, like a packed DOS time
        if (packed > best) {
            best = packed;
            result = it->path().filename().string();
        }
    }
    if (!result.empty() && withPath) result = folder + "/" + result;
    return result;
}

std::string HistoryFileName(const std::string& copiedPath, int year, int month, int day, int hour, int minute) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d-%02d-%02d-%02d-%02d", year % 100, month, day, hour, minute);
    std::string name = fs::path(copiedPath).filename().string();
    size_t dot = name.find_last_of('.');
    return std::string(stamp) + (dot == std::string::npos ? std::string() : name.substr(dot));
}
