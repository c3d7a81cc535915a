#include "image/folder_match.h"

#include <filesystem>
#include <system_error>

namespace {

char Fold(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool WildcardMatch(const std::string& pattern, const std::string& name)
{
    std::size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

}  // namespace

bool FolderHasNameLike(const std::string& folder, const std::string& word)
{
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error))
        return false;
    const std::string pattern = "*" + word + "*";
    // A folder listing always holds "." and "..".
    if (WildcardMatch(pattern, ".") || WildcardMatch(pattern, ".."))
        return true;
    std::filesystem::directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error))
        if (WildcardMatch(pattern, it->path().filename().string()))
            return true;
    return false;
}
