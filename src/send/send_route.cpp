#include "send/send_route.h"

#include <map>

std::string LowerExtension(const std::string& path) {
    size_t nameStart = path.find_last_of('/');
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

TSendRoute RouteForExtension(const std::string& lowerExtension) {
    static const std::map<std::string, TSendRoute> routes = {
        {".bmp", srImage},  {".jpg", srImage},      {".jpeg", srImage},     {".doc", srWord},
        {".xls", srExcel},  {".htm", srHtml},       {".html", srHtml},      {".vbs", srPlainText},
        {".js", srPlainText}, {".txt", srPlainText},
    };
    if (lowerExtension.empty()) return srRefused;
    auto it = routes.find(lowerExtension);
    return it == routes.end() ? srAsIs : it->second;
}

bool IsTextFamily(TSendRoute route) {
    return route == srWord || route == srExcel || route == srHtml || route == srPlainText;
}

std::string TrimControlBytes(const std::string& text) {
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) < 33; };
    size_t first = 0;
    while (first < text.size() && isBlank(text[first])) ++first;
    size_t last = text.size();
    while (last > first && isBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::string FirstCharacters(const std::string& text, size_t count) {
    size_t i = 0;
    for (size_t taken = 0; i < text.size() && taken < count; ++taken) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return text.substr(0, i);
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}
