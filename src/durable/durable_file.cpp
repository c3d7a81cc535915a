#include "durable/durable_file.h"

#include "durable/atomic_file.h"
#include "durable/unique_fd.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool SyncFile(const std::string& path) {
    TUniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    return fd && ::fsync(fd.Get()) == 0;
}

bool SyncFolderOf(const std::string& path) { return SyncFile(FolderOf(path)); }

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without RENAME_NOREPLACE: a hard link cannot replace either.
    if (::link(from.c_str(), to.c_str()) == 0) return ::unlink(from.c_str()) == 0;
    if (errno == EEXIST) return false;
    // Nor hard links (FAT): look first, then rename.
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool WriteFileDurably(const std::string& path, std::string_view bytes, unsigned mode) {
    TAtomicFile file;
    return file.Open(path, mode) && file.Write(bytes) && file.Commit();
}

bool ReplaceFileDurably(const std::string& path, std::string_view bytes, unsigned mode) {
    TAtomicFile file;
    return file.Open(path, mode, false) && file.Write(bytes) && file.Commit();
}

bool RenameDurably(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    bool ok = SyncFolderOf(to);
    if (FolderOf(from) != FolderOf(to)) ok = SyncFolderOf(from) && ok;
    return ok;
}

bool RemoveDurably(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return false;
    return SyncFolderOf(path);
}

bool AppendDurably(const std::string& path, std::string_view bytes) {
    TUniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600));
    struct stat before {};
    if (!fd || ::fstat(fd.Get(), &before) != 0) return false;
    if (!WriteAll(fd.Get(), bytes)) {
        // A short write (full disk, file-size limit) leaves no part of the
        // bytes behind, so that a retry does not follow half a record.
        int error = errno;
        if (::ftruncate(fd.Get(), before.st_size) == 0) ::fsync(fd.Get());
        errno = error;
        return false;
    }
    bool ok = ::fsync(fd.Get()) == 0;
    return fd.Close() && ok;
}

bool MakeFolder(const std::string& path, unsigned mode) {
    std::error_code error;
    if (fs::is_directory(path, error)) return true;
    std::string parent = fs::path(path).parent_path().string();
    if (!parent.empty() && parent != path && !MakeFolder(parent, mode)) return false;
    return ::mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}
