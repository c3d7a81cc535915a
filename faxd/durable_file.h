#pragma once

#include <string>

// File operations that survive a crash or power loss at any moment: each
// either happened completely or not at all once it returns true.

// Writes bytes to path through a temporary file in the same folder, fsyncs
// the file, renames it over path and fsyncs the folder.
bool WriteFileDurably(const std::string& path, const std::string& bytes);

// Renames from to to (same file system) and fsyncs both folders.
bool RenameDurably(const std::string& from, const std::string& to);

// Removes a file and fsyncs its folder; true also when it was not there.
bool RemoveDurably(const std::string& path);

// fsyncs a file or a folder.
bool SyncPath(const std::string& path);

// Appends bytes to a file and fsyncs it (the file is created if missing).
bool AppendDurably(const std::string& path, const std::string& bytes);

// Creates a folder (and its parents) with the given mode when missing.
bool MakeFolder(const std::string& path, unsigned mode = 0700);
