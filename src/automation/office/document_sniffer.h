#pragma once

#include <string>
#include <string_view>

// False for content that is plainly no office document: binary data (it holds
// a NUL byte) that does not begin like one of the binary formats Word and
// Excel read (compound files, zip packages, old Word and Excel files,
// UTF-16/32 text). LibreOffice would otherwise take such data for plain text
// and return garbage instead of refusing it.
bool LooksLikeDocument(std::string_view head);

// The same for the start of a file; false when it cannot be read.
bool FileLooksLikeDocument(const std::string& path);
