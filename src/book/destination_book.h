#pragma once

#include <string>

enum TBookAction { baList, baAddIfNew, baDelete, baReplace };

// Every read and write of the destination book; refills BookGrid after a
// successful action. False when the action failed (the grid is left as it was)
// and, for AddIfNew, when the number was already in the book.
bool UpdateBook(TBookAction action, const std::string& name = {}, const std::string& number = {},
                const std::string& oldNumber = {});

// Creates a new, empty book at BookPath().
bool CreateBook();

// Compacts the book at path through tempPath.
bool CompactBook(const std::string& path, const std::string& tempPath);
