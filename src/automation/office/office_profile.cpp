#include "automation/office/office_profile.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int SlotCount = 8;

} // namespace

bool TProfileSlot::Claim(const std::string& root) {
    if (Claimed()) return true;
    std::error_code ec;
    if (root.empty()) return false;
    std::filesystem::create_directories(root, ec);
    if (ec) return false;
    for (int slot = 0; slot < SlotCount; ++slot) {
        std::string folder = root + "/office-profile-" + std::to_string(slot);
        int lock = open((folder + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lock < 0) return false;
        if (flock(lock, LOCK_EX | LOCK_NB) == 0) {
            std::filesystem::create_directories(folder, ec);
            if (ec) {
                close(lock);
                return false;
            }
            std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ec);
            Lock = lock;
            Folder = folder;
            return true;
        }
        close(lock);
    }
    return false;
}

void TProfileSlot::Reset() {
    if (!Claimed()) return;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(Folder, ec))
        std::filesystem::remove_all(entry.path(), ec);
}

void TProfileSlot::Release() {
    if (Lock >= 0) close(Lock);
    Lock = -1;
    Folder.clear();
}

std::string DefaultProfileRoot() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && *cache == '/') return std::string(cache) + "/pelmor";
    const char* home = std::getenv("HOME");
    if (home && *home == '/') return std::string(home) + "/.cache/pelmor";
    return {};
}
