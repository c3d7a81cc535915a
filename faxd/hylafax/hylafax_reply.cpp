#include "hylafax/hylafax_reply.h"

#include <cctype>
#include <cstdio>

namespace {

bool HasCode(const std::string& line) {
    return line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
           std::isdigit(static_cast<unsigned char>(line[1])) &&
           std::isdigit(static_cast<unsigned char>(line[2])) && line[0] != '0';
}

int CodeOf(const std::string& line) {
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

// The text after the code and its separator.
std::string TextOf(const std::string& line) {
    return line.size() > 4 ? line.substr(4) : std::string();
}

}  // namespace

std::string THylafaxReply::Describe() const {
    if (!Received()) return "no reply";
    return std::to_string(Code) + " " + Text();
}

void THylafaxReplyParser::Reset() {
    Current = THylafaxReply();
    Started = Multi = Done = false;
}

bool THylafaxReplyParser::Feed(const std::string& line) {
    if (Done) return false;
    if (!Started) {
        if (!HasCode(line) || (line.size() > 3 && line[3] != ' ' && line[3] != '-')) return false;
        Started = true;
        Current.Code = CodeOf(line);
        Current.Lines.push_back(TextOf(line));
        Multi = line.size() > 3 && line[3] == '-';
        Done = !Multi;
        return true;
    }
    // Inside a multi-line reply: any line belongs to it; the one that repeats
    // the code followed by a space (or nothing) ends it.
    if (HasCode(line) && CodeOf(line) == Current.Code && (line.size() == 3 || line[3] == ' ')) {
        Current.Lines.push_back(TextOf(line));
        Done = true;
        return true;
    }
    if (HasCode(line) && CodeOf(line) == Current.Code && line.size() > 3 && line[3] == '-') {
        Current.Lines.push_back(TextOf(line));
    } else {
        Current.Lines.push_back(line);
    }
    return true;
}

int ParsePassivePort(const std::string& text) {
    size_t open = text.find('(');
    size_t from = open == std::string::npos ? 0 : open + 1;
    // Some servers omit the parentheses: take the first run of six numbers.
    while (from < text.size() && !std::isdigit(static_cast<unsigned char>(text[from]))) ++from;
    int values[6];
    int count = 0;
    size_t pos = from;
    while (count < 6) {
        if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos]))) return 0;
        long value = 0;
        size_t digits = 0;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
            value = value * 10 + (text[pos] - '0');
            if (++digits > 3) return 0;
            ++pos;
        }
        if (value > 255) return 0;
        values[count++] = static_cast<int>(value);
        if (count < 6) {
            if (pos >= text.size() || text[pos] != ',') return 0;
            ++pos;
        }
    }
    int port = values[4] * 256 + values[5];
    return port > 0 ? port : 0;
}

std::string ParseStoredFileName(const std::string& text) {
    const std::string marker = "FILE: ";
    size_t at = text.find(marker);
    if (at == std::string::npos) return {};
    size_t from = at + marker.size();
    size_t end = from;
    while (end < text.size() && text[end] != ' ' && text[end] != ')' && text[end] != '\t') ++end;
    std::string name = text.substr(from, end - from);
    // A name at the end of a sentence carries its full stop.
    if (!name.empty() && name.back() == '.' && end == text.size()) name.pop_back();
    return name;
}

std::string ParseNewJobId(const std::string& text) {
    const std::string marker = "jobid:";
    size_t at = text.find(marker);
    if (at == std::string::npos) return {};
    size_t pos = at + marker.size();
    while (pos < text.size() && text[pos] == ' ') ++pos;
    size_t end = pos;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    if (end == pos || end - pos > 9) return {};
    return text.substr(pos, end - pos);
}

bool IsQuotableParameter(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f || c == '"' || c == '\\') return false;
    }
    return true;
}
