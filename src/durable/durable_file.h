#pragma once

#include <string>
#include <string_view>

// File operations that survive a crash or power loss at any moment: each
// either happened completely or not at all once it returns true. On failure
// errno tells why.

// The folder that holds path ("." for a bare name).
std::string FolderOf(const std::string& path);

// fsyncs a file or a folder.
bool SyncFile(const std::string& path);
// fsyncs the folder that holds path, so that a name made or removed there lasts.
bool SyncFolderOf(const std::string& path);

// Renames from to to without ever replacing a file at to (errno EEXIST).
bool RenameNoReplace(const std::string& from, const std::string& to);

// Writes all bytes to fd, going on after interruptions.
bool WriteAll(int fd, std::string_view bytes);

// Writes bytes to path through a uniquely named temporary file in the same
// folder, fsyncs it, renames it over path and fsyncs the folder. A new file
// gets the given mode; a file that was there keeps its own.
bool WriteFileDurably(const std::string& path, std::string_view bytes, unsigned mode = 0600);

// As WriteFileDurably, but whatever is at path is replaced, a symbolic link
// too: a link planted there is never followed.
bool ReplaceFileDurably(const std::string& path, std::string_view bytes, unsigned mode = 0600);

// Renames from to to (same file system) and fsyncs both folders.
bool RenameDurably(const std::string& from, const std::string& to);

// Removes a file and fsyncs its folder; true also when it was not there.
bool RemoveDurably(const std::string& path);

// Appends bytes to a file and fsyncs it (the file is created if missing).
// When only part of the bytes could be written, the file is cut back to its
// length before the call.
bool AppendDurably(const std::string& path, std::string_view bytes);

// Creates a folder (and its parents) with the given mode when missing.
bool MakeFolder(const std::string& path, unsigned mode = 0700);
