#pragma once

#include <cstdint>
#include <string>

// How a dropped file is sent, by its extension.
enum TSendRoute {
    srRefused,    // no extension
    srImage,      // ".bmp", ".jpg", ".jpeg": prepared as a picture
    srWord,       // ".doc": converted to text by Word
    srExcel,      // ".xls": converted to text by Excel
    srHtml,       // ".htm", ".html": the text between the tags
    srPlainText,  // ".vbs", ".js", ".txt": read as text
    srAsIs,       // anything else: handed to the fax service unchanged
};

// The text-family files are refused outside 1 to 100000 bytes.
constexpr int32_t MaxTextFileBytes = 100000;

// The extension of the file name (after the last "/"): from its last ".",
// dot included, lower-cased (ASCII letters only); empty when there is none.
std::string LowerExtension(const std::string& path);

TSendRoute RouteForExtension(const std::string& lowerExtension);

// True for the routes that end in a text file.
bool IsTextFamily(TSendRoute route);

// Removes every leading and trailing byte below 33 (controls and the ASCII
// space); other characters, the full-width space included, remain.
std::string TrimControlBytes(const std::string& text);

// The first count characters of UTF-8 text (all of it when shorter).
std::string FirstCharacters(const std::string& text, size_t count);

// Text with every line break (CR LF, lone LF or lone CR) written as CR LF.
std::string WithCrLf(const std::string& text);
