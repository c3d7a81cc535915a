#include "file_helpers.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

void MakeSparseFile(const std::string& path, uint64_t size) {
    int handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (handle < 0) throw std::runtime_error("cannot create " + path);
    int result = ::ftruncate(handle, static_cast<off_t>(size));
    ::close(handle);
    if (result != 0) throw std::runtime_error("cannot size " + path);
}

std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TFileSizeLimit::TFileSizeLimit(rlim_t limit) {
    PreviousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &Previous);
    rlimit next = Previous;
    next.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &next);
}

TFileSizeLimit::~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &Previous);
    std::signal(SIGXFSZ, PreviousHandler);
}
