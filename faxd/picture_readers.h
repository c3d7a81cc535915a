#pragma once

#include "grey_picture.h"

#include <functional>
#include <string>
#include <string_view>

// Readers of the picture files the service accepts. Each decodes to grey
// levels, checks the declared size before taking memory, and reports a
// corrupt or truncated file as false with a short English error; none of
// them writes to the console or to process-wide state.

// BMP: 1, 4, 8 bits with a colour table, 16, 24 and 32 bits; bottom-up and
// top-down; uncompressed or with bit fields.
bool ReadBmpPicture(std::string_view bytes, TGreyPicture& picture, std::string& error);

// JPEG (baseline and progressive; grey, YCbCr, CMYK).
bool ReadJpegPicture(std::string_view bytes, TGreyPicture& picture, std::string& error);

// PNG, every colour type and depth; transparency is laid over white.
bool ReadPngPicture(std::string_view bytes, TGreyPicture& picture, std::string& error);

// TIFF: every page, in order, handed to onPage; stops with false when onPage
// returns false (error is then left as onPage set it).
bool ReadTiffPictures(const std::string& path, const std::function<bool(const TGreyPicture&)>& onPage,
                      std::string& error);
