#include "automation/office/office_profile.h"

#include "durable/durable_file.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int SlotCount = 8;

constexpr const char* SecureItems =
    "<item oor:path=\"/org.openoffice.Office.Common/Security/Scripting\"><prop oor:name=\"DisableMacrosExecution\" "
    "oor:op=\"fuse\"><value>true</value></prop></item>\n"
    "<item oor:path=\"/org.openoffice.Office.Common/Security/Scripting\"><prop oor:name=\"MacroSecurityLevel\" "
    "oor:op=\"fuse\"><value>3</value></prop></item>\n"
    "<item oor:path=\"/org.openoffice.Office.Common/Security/Scripting\"><prop "
    "oor:name=\"BlockUntrustedRefererLinks\" oor:op=\"fuse\"><value>true</value></prop></item>\n"
    // Links to other files are never updated: Writer counts 0 never, 1 on
    // request, 2 always; Calc 0 always, 1 never, 2 on request.
    "<item oor:path=\"/org.openoffice.Office.Writer/Content/Update\"><prop oor:name=\"Link\" "
    "oor:op=\"fuse\"><value>0</value></prop></item>\n"
    "<item oor:path=\"/org.openoffice.Office.Calc/Content/Update\"><prop oor:name=\"Link\" "
    "oor:op=\"fuse\"><value>1</value></prop></item>\n";

// Whether every one of SecureItems is in text as it is.
bool HasSecureItems(const std::string& text) {
    std::istringstream items(SecureItems);
    for (std::string item; std::getline(items, item);)
        if (text.find(item) == std::string::npos) return false;
    return true;
}

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

bool SecureOfficeProfile(const std::string& profile) {
    std::filesystem::path file = std::filesystem::path(profile) / "user" / "registrymodifications.xcu";
    std::string text;
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream read;
        read << in.rdbuf();
        text = read.str();
    }
    if (HasSecureItems(text)) return true;
    // Ours go last, so that they win over any earlier item of the same name.
    size_t end = text.rfind("</oor:items>");
    if (end == std::string::npos) {
        text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
               "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
        end = text.size();
        text += "</oor:items>\n";
    }
    text.insert(end, SecureItems);
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    return WriteFileDurably(file.string(), text);
}
