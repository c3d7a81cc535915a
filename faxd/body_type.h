#pragma once

#include <string>

// What a submitted file holds, as far as rendering is concerned.
enum TBodyType {
    btUnknown,
    btText,
    btBmp,
    btJpeg,
    btPng,
    btTiff,
    btPdf
};

// Looks at a file's content (never its name). btUnknown with error set for a
// file it cannot read, an empty file, or content of no renderable type
// ("unsupported file type").
TBodyType SniffBodyType(const std::string& path, std::string& error);

// Short names stored in job records ("text", "bmp", …) and back.
const char* BodyTypeName(TBodyType type);
TBodyType BodyTypeFromName(const std::string& name);

// Text files larger than this are refused (about 2000 pages).
constexpr long long MaxTextBytes = 8LL << 20;
