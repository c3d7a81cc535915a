#include "automation/office/private_folder.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

const std::string& TPrivateFolder::Path() {
    if (Made.empty()) {
        std::string pattern = (std::filesystem::path(Root.empty() ? DefaultPrivateRoot() : Root) /
                               "pelmor-office-XXXXXX").string();
        if (mkdtemp(pattern.data())) Made = pattern;
    }
    return Made;
}

std::string TPrivateFolder::Subfolder(const std::string& name) {
    if (Path().empty()) return {};
    std::filesystem::path folder = std::filesystem::path(Made) / name;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return {};
    chmod(folder.c_str(), 0700);
    return folder.string();
}

void TPrivateFolder::Remove() {
    if (Made.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(Made, ec);
    Made.clear();
}

std::string DefaultPrivateRoot() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    if (runtime && *runtime && std::filesystem::is_directory(runtime, ec)) return runtime;
    return std::filesystem::temp_directory_path(ec).string();
}
