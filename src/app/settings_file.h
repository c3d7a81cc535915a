#pragma once

#include <functional>
#include <string>

// The four settings kept in Pelmor.txt, as the file stores them.
struct TSettings {
    std::string Folder;          // the fax service's sent-items folder, or empty
    std::string Box1 = "1";      // shrink every picture to the page: "1" or "0"
    std::string Box2 = "1";      // confirm every picture before sending: "1" or "0"
    std::string Depth = "2";     // "1" 4 bits, "2" 8 bits, "3" 24 bits
};

// Reads the file's text: lines end at CR LF, a lone CR or a lone LF; a line
// that is missing or not acceptable keeps its default. The folder is kept
// only when folderExists says it names an existing folder.
TSettings ParseSettings(const std::string& text, const std::function<bool(const std::string&)>& folderExists);

// The file's text: four lines joined with CR LF, no terminator after the last.
std::string FormatSettings(const TSettings& settings);
