#pragma once

#include <functional>
#include <string>

// Test pictures made in memory. pixel(x, y) gives a grey level, or a colour
// as 0xRRGGBB for the colour formats.

// A BMP of 1, 4, 8 (grey colour table) or 24 bits, bottom-up or top-down.
std::string MakeBmp(int width, int height, int bits, bool topDown, const std::function<unsigned(int, int)>& pixel);

// JPEG and PNG through Qt's image writers (colour, 0xRRGGBB).
std::string MakeJpeg(int width, int height, const std::function<unsigned(int, int)>& pixel);
std::string MakePng(int width, int height, const std::function<unsigned(int, int)>& pixel);

// A two-page TIFF: an RGB page from pixel, then a one-bit page (black where
// pixel is darker than half).
bool WriteTwoPageTiff(const std::string& path, int width, int height, const std::function<unsigned(int, int)>& pixel);

// A PDF of A4 pages, each with one black box at the given fraction of the page.
bool WritePdfWithBoxes(const std::string& path, int pages, double left, double top, double right, double bottom);
