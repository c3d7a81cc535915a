#include "send/text_files.h"

#include "automation/automation_error.h"
#include "automation/server_registry.h"
#include "durable/durable_file.h"

#include <cerrno>
#include <cstring>

#include <exception>
#include <utility>

namespace {

enum TIoMode { imForReading = 1 };

// The replacement pairs that clean the extracted runs, applied in this order:
// the tag brackets go, then the four entities are decoded, the ampersand last.
const std::pair<const char*, const char*> HtmlReplacements[] = {
    {"<>", ""}, {"<", ""}, {">", ""}, {"&nbsp;", " "}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"},
};

// A run of text between the end of one tag and the start of the next, with
// the two brackets around it.
constexpr const char* HtmlRunPattern = ">[^<>]+<";

} // namespace

int32_t GetFileSizeBytes(const std::string& path) {
    int32_t result = 0;
    TVariant fso = CreateObject("Scripting.FileSystemObject");
    try {
        if (fso.Call("FileExists", {path}).AsBool()) {
            TVariant file = fso.Call("GetFile", {path});
            result = file.Get("Size").AsInt32();
        }
    } catch (const std::exception&) {
        // A size that does not fit 32 bits, or a file that went away.
        result = 0;
    }
    fso.Clear();
    return result;
}

std::string ReadTextFile(const std::string& path) {
    TVariant fso = CreateObject("Scripting.FileSystemObject");
    std::string text;
    try {
        if (!fso.Call("FileExists", {path}).AsBool()) return {};
        TVariant stream = fso.Call("OpenTextFile", {path, int32_t{imForReading}});
        try {
            text = stream.Call("ReadAll").AsString();
        } catch (const std::exception&) {
            stream.Call("Close");
            return {};
        }
        stream.Call("Close");
    } catch (const std::exception&) {
        return {};
    }
    return text;
}

void WriteTextFile(const std::string& path, const std::string& text) {
    TVariant fso = CreateObject("Scripting.FileSystemObject");
    TVariant stream = fso.Call("CreateTextFile", {path, true});
    if (!text.empty()) stream.Call("Write", {text});
    stream.Call("Close");
    stream.Clear();
    fso.Clear();
}

void WriteTempFile(const std::string& path, const std::string& bytes) {
    if (!ReplaceFileDurably(path, bytes, 0600))
        throw TAutomationError("cannot write " + path + ": " + std::strerror(errno));
}

std::string HtmlToText(const std::string& path) {
    TVariant re = CreateObject("VBScript.RegExp");
    re.Put("Pattern", HtmlRunPattern);
    re.Put("Global", true);
    re.Put("IgnoreCase", true);
    std::string html = ReadTextFile(path);

    TVariant matches = re.Call("Execute", {html});
    int32_t count = matches.Get("Count").AsInt32();
    std::string text;
    for (int32_t i = 0; i < count; ++i) text += matches.Call("Item", {i}).Get("Value").AsString();
    matches.Clear();

    for (const auto& [pattern, replacement] : HtmlReplacements) {
        re.Put("Pattern", pattern);
        text = re.Call("Replace", {text, replacement}).AsString();
    }
    re.Clear();
    return text;
}
