#pragma once

#include <string>

// A folder of this process's own (mode 0700) under a given root, made on first
// use and removed with everything in it by Remove or the destructor.
class TPrivateFolder {
public:
    explicit TPrivateFolder(std::string root) : Root(std::move(root)) {}
    ~TPrivateFolder() { Remove(); }
    TPrivateFolder(const TPrivateFolder&) = delete;
    TPrivateFolder& operator=(const TPrivateFolder&) = delete;

    // The folder's path, made if needed; empty when it cannot be made.
    const std::string& Path();
    // A subfolder, made if needed; empty when it cannot be made.
    std::string Subfolder(const std::string& name);
    void Remove();

private:
    std::string Root;
    std::string Made;
};

// $XDG_RUNTIME_DIR when set, else the system's temporary folder.
std::string DefaultPrivateRoot();
