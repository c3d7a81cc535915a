#include "app/settings_file.h"

#include <vector>

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

} // namespace

TSettings ParseSettings(const std::string& text, const std::function<bool(const std::string&)>& folderExists) {
    TSettings settings;
    if (text.empty()) return settings;
    std::vector<std::string> lines = SplitLines(text);
    if (!lines[0].empty() && folderExists(lines[0])) settings.Folder = lines[0];
    if (lines.size() > 1 && (lines[1] == "0" || lines[1] == "1")) settings.Box1 = lines[1];
    if (lines.size() > 2 && (lines[2] == "0" || lines[2] == "1")) settings.Box2 = lines[2];
    if (lines.size() > 3 && (lines[3] == "1" || lines[3] == "2" || lines[3] == "3")) settings.Depth = lines[3];
    return settings;
}

std::string FormatSettings(const TSettings& settings) {
    return settings.Folder + "\r\n" + settings.Box1 + "\r\n" + settings.Box2 + "\r\n" + settings.Depth;
}
