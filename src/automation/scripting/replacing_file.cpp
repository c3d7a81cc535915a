#include "automation/scripting/replacing_file.h"

#include "automation/scripting/fso_errors.h"

#include <cerrno>
#include <cstdio>
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

// Where the new content must land: the file a symbolic link points to, so
// that replacing a linked file keeps the link.
std::string ResolveDestination(const std::string& target) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec) return resolved.string();
    }
    return target;
}

void SyncFolder(const std::string& folder) {
    int handle = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) return;
    ::fsync(handle);
    ::close(handle);
}

} // namespace

TReplacingFile::TReplacingFile(const std::string& target, bool overwrite)
    : Target(target), Destination(ResolveDestination(target)), Overwrite(overwrite) {
    if (target.empty()) RaiseFileError("Bad file name or number", target);
    struct stat existing {};
    bool exists = ::stat(Destination.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) RaiseFileError("Permission denied", Target);
    if (exists && !overwrite) RaiseFileError("File already exists", Target);
    // A file its owner has made read-only is not replaced behind its back,
    // although the folder would allow the rename.
    if (exists && ::access(Destination.c_str(), W_OK) != 0) RaiseFileError(errno, Target);

    fs::path destination(Destination);
    fs::path folder = destination.parent_path();
    std::string prefix = (folder.empty() ? std::string() : folder.string() + "/") + "." +
                         destination.filename().string() + ".tmp-";
    for (int attempt = 0; attempt < 100 && Handle < 0; ++attempt) {
        std::string candidate = prefix + RandomSuffix();
        Handle = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (Handle >= 0) {
            TempPath = candidate;
        } else if (errno != EEXIST) {
            RaiseFileError(errno, Target);
        }
    }
    if (Handle < 0) RaiseFileError(EEXIST, Target);
    if (exists) ::fchmod(Handle, existing.st_mode & 07777);
}

TReplacingFile::~TReplacingFile() { Discard(); }

void TReplacingFile::Discard() {
    if (Handle < 0) return;
    ::close(Handle);
    ::unlink(TempPath.c_str());
    Handle = -1;
}

void TReplacingFile::Fail(int errorNumber) {
    Discard();
    RaiseFileError(errorNumber, Target);
}

void TReplacingFile::SetMode(mode_t mode) {
    if (Handle >= 0) ::fchmod(Handle, mode & 07777);
}

void TReplacingFile::Write(std::string_view bytes) {
    if (Handle < 0) RaiseFileError("Bad file mode", Target);
    while (!bytes.empty()) {
        ssize_t written = ::write(Handle, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
}

void TReplacingFile::Commit() {
    if (Handle < 0) RaiseFileError("Bad file mode", Target);
    if (::fsync(Handle) != 0) Fail(errno);
    int handle = Handle;
    Handle = -1;
    if (::close(handle) != 0) {
        int error = errno;
        ::unlink(TempPath.c_str());
        RaiseFileError(error, Target);
    }
    int renamed;
    if (Overwrite) {
        renamed = ::rename(TempPath.c_str(), Destination.c_str());
    } else {
        renamed = ::renameat2(AT_FDCWD, TempPath.c_str(), AT_FDCWD, Destination.c_str(), RENAME_NOREPLACE);
        if (renamed != 0 && (errno == EINVAL || errno == ENOSYS)) {
            struct stat existing {};
            if (::lstat(Destination.c_str(), &existing) == 0) {
                errno = EEXIST;
            } else {
                renamed = ::rename(TempPath.c_str(), Destination.c_str());
            }
        }
    }
    if (renamed != 0) {
        int error = errno;
        ::unlink(TempPath.c_str());
        RaiseFileError(error, Target);
    }
    fs::path folder = fs::path(Destination).parent_path();
    SyncFolder(folder.empty() ? "." : folder.string());
}
