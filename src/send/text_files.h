#pragma once

#include <cstdint>
#include <string>

// Both readers go through a Scripting.FileSystemObject. When that object
// cannot be created, the error reaches the caller; once it exists, they never
// raise.

// The size of a file in bytes; 0 when it is missing or its size cannot be read
// (a size that does not fit 32 bits included).
int32_t GetFileSizeBytes(const std::string& path);

// The whole content of a file, as bytes; empty when the file is missing or
// cannot be read.
std::string ReadTextFile(const std::string& path);

// Writes text as the file's whole content, replacing it; errors reach the caller.
void WriteTextFile(const std::string& path, const std::string& text);

// Writes one of the application's own temporary files (tmp0.txt) through a
// fresh file that takes its place, so that a symbolic link planted there is
// replaced, never written through; errors reach the caller.
void WriteTempFile(const std::string& path, const std::string& bytes);

// The text of an HTML file: the runs between tags, four entities decoded.
std::string HtmlToText(const std::string& path);
