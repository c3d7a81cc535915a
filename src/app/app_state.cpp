#include "app/app_state.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

std::string AppDir;
std::string TempImagePath;
std::string TempTextPath;
std::string SendFilePath;
std::string DestName;
std::string DestNumber;
bool BookChanged = false;

const std::string DefaultDestName = "名無し";

std::string BookPath() { return AppDir + "/faxnum"; }
std::string BookTempPath() { return AppDir + "/faxnum1"; }
std::string SettingsPath() { return AppDir + "/Pelmor.txt"; }

namespace {

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// A folder the files may live in: ours, and nobody else may write to it
// (or plant a link to where our files would be written).
bool IsPrivateFolder(const std::string& dir) {
    struct stat info {};
    return !dir.empty() && ::stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0 && access(dir.c_str(), W_OK | X_OK) == 0;
}

// A program folder of the system (where the package and `cmake --install`
// put the programs) is never a place for a user's files, even for an
// administrator who may write there.
bool IsInstalledProgramFolder(const std::string& dir) {
#ifdef PELMOR_INSTALL_BINDIR
    if (dir == WithoutTrailingSlash(PELMOR_INSTALL_BINDIR)) return true;
#endif
    return dir == "/bin" || dir == "/sbin" || dir.starts_with("/usr/");
}

} // namespace

std::string UserDataHome() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') return xdg;
    if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.local/share";
    return {};
}

std::string ResolveAppDir(const std::string& executableDir, const std::string& dataHome) {
    std::string dir = WithoutTrailingSlash(executableDir);
    if (IsPrivateFolder(dir) && !IsInstalledProgramFolder(dir)) return dir;

    std::string base = dataHome.empty() ? UserDataHome() : dataHome;
    if (base.empty()) return {};
    std::string perUser = WithoutTrailingSlash(base) + "/pelmor";
    std::error_code ec;
    std::filesystem::create_directories(perUser, ec);
    if (!std::filesystem::is_directory(perUser, ec)) return {};
    return perUser;
}

void InitAppPaths(const std::string& appDir) {
    AppDir = appDir;
    TempImagePath = AppDir + "/tmp0.bmp";
    TempTextPath = AppDir + "/tmp0.txt";
}

void ResetAppState() {
    AppDir.clear();
    TempImagePath.clear();
    TempTextPath.clear();
    SendFilePath.clear();
    DestName.clear();
    DestNumber.clear();
    BookChanged = false;
}
