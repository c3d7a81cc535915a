#include "book/book_files.h"

#include "app/app_state.h"
#include "durable/durable_file.h"
#include "durable/unique_fd.h"
#include "platform/system_info.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TSeam<bool(TBookFileStep, const std::string&)> BookFileStepSeam([](TBookFileStep, const std::string&) { return true; });

namespace {

// The stamp of a preserved file's name: yymmddhhnn in local time.
std::string NameStamp() {
    std::time_t now = std::chrono::system_clock::to_time_t(Now());
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%y%m%d%H%M", &local);
    return text;
}

} // namespace

bool BookFileExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool IsJetFormatFile(const std::string& path) {
    TUniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) return false;
    char header[19] = {};
    ssize_t got = ::read(fd.Get(), header, sizeof header);
    if (got != static_cast<ssize_t>(sizeof header)) return false;
    static const char prefix[4] = {0, 1, 0, 0};
    return std::memcmp(header, prefix, 4) == 0 &&
           (std::memcmp(header + 4, "Standard Jet DB", 15) == 0 || std::memcmp(header + 4, "Standard ACE DB", 15) == 0);
}

bool PreserveUnreadableFile(const std::string& path) {
    if (!BookFileExists(path)) return true;
    bool jet = IsJetFormatFile(path);
    std::string stem = jet ? path : path + ".unreadable-" + NameStamp();
    std::string extension = jet ? ".mdb" : "";
    if (!BookFileStepSeam(bfsPreserve, path)) return false;
    for (int attempt = 1; attempt < 100; ++attempt) {
        std::string target = stem;
        if (attempt > 1) {
            target += '-';
            target += std::to_string(attempt);
        }
        target += extension;
        if (RenameNoReplace(path, target)) {
            SyncFolderOf(path);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool PreserveUnreadableBook() { return PreserveUnreadableFile(BookPath()); }

bool RemoveBookFile(TBookFileStep step, const std::string& path) {
    if (!BookFileStepSeam(step, path)) return false;
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return false;
    return !BookFileExists(path);
}

bool ReplaceBookFile(const std::string& from, const std::string& to) {
    if (!BookFileStepSeam(bfsReplaceBook, to)) return false;
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    SyncFolderOf(to);
    return true;
}
