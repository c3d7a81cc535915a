#include "durable_file.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string FolderOf(const std::string& path)
{
    std::string folder = fs::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool SyncPath(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

bool WriteFileDurably(const std::string& path, const std::string& bytes)
{
    std::string temporary = path + ".tmp";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return SyncPath(FolderOf(path));
}

bool RenameDurably(const std::string& from, const std::string& to)
{
    if (rename(from.c_str(), to.c_str()) != 0)
        return false;
    bool ok = SyncPath(FolderOf(to));
    if (FolderOf(from) != FolderOf(to))
        ok = SyncPath(FolderOf(from)) && ok;
    return ok;
}

bool RemoveDurably(const std::string& path)
{
    if (unlink(path.c_str()) != 0 && errno != ENOENT)
        return false;
    return SyncPath(FolderOf(path));
}

bool AppendDurably(const std::string& path, const std::string& bytes)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
    return close(fd) == 0 && ok;
}

bool MakeFolder(const std::string& path, unsigned mode)
{
    std::error_code error;
    if (fs::is_directory(path, error))
        return true;
    std::string parent = fs::path(path).parent_path().string();
    if (!parent.empty() && parent != path && !MakeFolder(parent, mode))
        return false;
    return mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}
