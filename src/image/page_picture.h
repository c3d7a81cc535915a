#pragma once

#include <string>

#include "image/bitmap.h"

// The steps that make a fax page of a picture file, without any window: loading
// it, turning a landscape page upright, and fitting, collapsing and saving it.

// The widest and tallest picture sent without shrinking; a picture beyond
// either and wider than high is turned.
constexpr int PageWidthLimit = 544;
constexpr int PageHeightLimit = 826;

// The format of a depth of 1, 4, 8 or 24 bits; false for any other.
bool PixelFormatOfDepth(int depth, TPixelFormat& format);

// Loads a picture by its extension, compared without case: ".bmp" with the BMP
// reader, ".jpg" and ".jpeg" with the JPEG decoder at full size. False for any
// other extension and for a file that cannot be read or decoded; the bitmap is
// then unchanged.
bool LoadPictureFile(const std::string& path, TBitmap& bitmap);

// True for a picture larger than the page that is wider than high.
bool NeedsTurning(int width, int height);

// Turns a picture that NeedsTurning a quarter turn clockwise: by rows when
// byRow, else pixel by pixel. False when the turn failed (the bitmap is then
// unchanged).
bool TurnUpright(TBitmap& bitmap, bool byRow);

// Loads a picture and turns it upright, by rows when appDir holds an entry
// whose name contains "scanline". On false the bitmap is unchanged. (The caller
// shows the busy cursor meanwhile.)
bool LoadPagePicture(const std::string& path, const std::string& appDir, TBitmap& bitmap);

struct TPageFit {
    int Width = 0;
    int Height = 0;
    int Steps = 0;  // how many 99/100 steps were taken
};

// The size a picture is shrunk to: both sides times 99 div 100, step by step,
// until it fits within PageWidthLimit × PageHeightLimit.
TPageFit ShrinkToPage(int width, int height);

// Makes the page picture of source and saves it to path as an uncompressed
// BMP: shrunk by ShrinkToPage (nearest neighbour) when shrinkToPage and it is
// larger than the page; a picture of exactly two colours repainted black and
// white and saved at 1 bit; any other at depth bits (1, 4, 8 or 24). An
// existing file at path is deleted first, so that a failure never leaves an
// earlier picture there. False for a picture of a single colour (or none), an
// unknown depth, and any failure while fitting or saving.
bool FitAndSavePicture(const TBitmap& source, int depth, bool shrinkToPage, const std::string& path);
