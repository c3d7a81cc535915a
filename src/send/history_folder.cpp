#include "send/history_folder.h"

#include <unistd.h>

namespace {

// The longest file name the file system holding folder allows, in bytes.
size_t LongestName(const std::string& folder) {
    long longest = pathconf(folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? size_t(longest) : 255;
}

} // namespace

std::string HistoryFolderPath(const std::string& appDir, const std::string& name, const std::string& number) {
    if (name == "." || name == "..") return {};
    std::string leaf = "faxto" + name + number;
    if (leaf.find('/') != std::string::npos || leaf.find('\0') != std::string::npos) return {};
    if (leaf.size() > LongestName(appDir)) return {};
    return appDir + "/" + leaf;
}

std::string HistoryFolderNameError(const std::string& name) {
    std::string shown;
    for (char c : name) shown += c == '\0' ? '?' : c;
    return "送信先の名前「" + shown + "」は履歴フォルダの名前にできない(「/」を含む、「.」「..」、長すぎる)ので、"
           "この送信は履歴に残せない。";
}
