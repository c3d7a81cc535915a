#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

// Makes a file of the given logical size without storing its bytes.
void MakeSparseFile(const std::string& path, uint64_t size);

// The names in a folder, sorted.
std::vector<std::string> FolderNames(const std::filesystem::path& folder);

// Lets no file grow beyond limit bytes while it lives, the way a full disk
// stops a write (the process is told by an error, not a signal).
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t limit);
    ~TFileSizeLimit();

private:
    rlimit Previous{};
    void (*PreviousHandler)(int) = nullptr;
};
