#include "platform/library_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

std::string StandardFolder(TFolderKind kind) {
    std::string folder;
    switch (kind) {
    case fkSystemLocal: folder = "/usr/local/lib/pelmor"; break;
    case fkSystem: folder = "/usr/lib/pelmor"; break;
    case fkApplication: {
        std::error_code error;
        std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error) return {};
        folder = exe.parent_path().string();
        break;
    }
    }
    if (folder.empty()) return {};
    if (folder.back() != '/') folder += '/';
    return folder;
}

std::string FindLibraryFolder(const std::string& fileName) {
    for (TFolderKind kind : {fkSystemLocal, fkSystem, fkApplication}) {
        std::string folder = StandardFolder(kind);
        if (!folder.empty() && access((folder + fileName).c_str(), F_OK) == 0) return folder;
    }
    return {};
}

TLibraryCalls SystemLibraryCalls() {
    return TLibraryCalls{
        FindLibraryFolder,
        [](const std::string& path) -> void* { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); },
        [](void* library, const char* name) -> void* { return dlsym(library, name); },
        [](void* library) { return dlclose(library) == 0; },
    };
}

TSeam<TLibraryCalls()> LibraryCallsSeam(SystemLibraryCalls);
