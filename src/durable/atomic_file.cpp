#include "durable/atomic_file.h"

#include "durable/durable_file.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string RandomSuffix() {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 8; ++i) suffix += letters[generator() % (sizeof letters - 1)];
    return suffix;
}

} // namespace

std::string ResolveLinkTarget(const std::string& path) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        fs::path resolved = fs::canonical(path, ec);
        if (!ec) return resolved.string();
    }
    return path;
}

bool TAtomicFile::Open(const std::string& target, mode_t newMode, bool followLink) {
    Discard();
    Landed = false;
    Flush = true;
    Target = followLink ? ResolveLinkTarget(target) : target;
    struct stat existing {};
    // Without following, only a file of its own lends its mode, never a link.
    bool exists = followLink ? ::stat(Target.c_str(), &existing) == 0
                             : ::lstat(Target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);

    fs::path destination(Target);
    fs::path folder = destination.parent_path();
    std::string prefix = (folder.empty() ? std::string() : folder.string() + "/") + "." +
                         destination.filename().string() + ".tmp-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = prefix + RandomSuffix();
        Handle.Reset(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, newMode));
        if (Handle) {
            TempPath = candidate;
            if (exists) ::fchmod(Handle.Get(), existing.st_mode & 07777);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

void TAtomicFile::Discard() {
    if (!Handle) return;
    Handle.Reset();
    ::unlink(TempPath.c_str());
}

bool TAtomicFile::Fail() {
    int error = errno;
    Discard();
    errno = error;
    return false;
}

void TAtomicFile::SetMode(mode_t mode) {
    if (Handle) ::fchmod(Handle.Get(), mode & 07777);
}

bool TAtomicFile::Write(std::string_view bytes) {
    if (!Handle) {
        errno = EBADF;
        return false;
    }
    return WriteAll(Handle.Get(), bytes) || Fail();
}

bool TAtomicFile::Commit(bool overwrite) {
    if (!Handle) {
        errno = EBADF;
        return false;
    }
    if (Flush && ::fsync(Handle.Get()) != 0) return Fail();
    if (!Handle.Close()) {
        int error = errno;
        ::unlink(TempPath.c_str());
        errno = error;
        return false;
    }
    bool renamed = overwrite ? ::rename(TempPath.c_str(), Target.c_str()) == 0 : RenameNoReplace(TempPath, Target);
    if (!renamed) {
        int error = errno;
        ::unlink(TempPath.c_str());
        errno = error;
        return false;
    }
    Landed = true;
    return !Flush || SyncFolderOf(Target);
}
