#pragma once

#include <string>

// True when folder exists and holds at least one entry of any kind (file,
// folder, hidden or not) whose name contains word. The match follows the
// desktop's file-name wildcards: letters compare without regard to case, and
// "*" and "?" in word match any run of characters and any one character.
bool FolderHasNameLike(const std::string& folder, const std::string& word);
