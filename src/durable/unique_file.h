#pragma once

#include <cstdio>
#include <memory>
#include <string>

// A stdio stream that is closed when it goes.
struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using TUniqueFile = std::unique_ptr<std::FILE, TFileCloser>;

inline TUniqueFile OpenFile(const std::string& path, const char* mode) { return TUniqueFile(std::fopen(path.c_str(), mode)); }
