#pragma once

#include <filesystem>
#include <string>

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object dies.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return Root; }
    std::string operator/(const std::string& name) const { return (Root / name).string(); }

    // Writes bytes to a file below the folder and returns its full path.
    std::string WriteFile(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path Root;
};

// The whole content of a file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
