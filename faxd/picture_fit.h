#pragma once

#include "fax_page.h"
#include "grey_picture.h"

// Lays a picture on an A4 fax page: fitted inside the page's margins keeping
// its proportions (square source pixels), enlarged when small, centred across
// and placed at the top. Bilevel pictures are scaled by nearest neighbour;
// grey and colour pictures are resampled (area average when shrinking,
// linear when enlarging) and dithered by Floyd-Steinberg error diffusion.
TFaxPage FitPictureToPage(const TGreyPicture& picture);

// The margin kept free around a picture, in page pixels.
constexpr int PictureMarginX = 32;
constexpr int PictureMarginY = 31;

// Where FitPictureToPage puts a picture of that size: left, top, width, height.
struct TPlacement {
    int Left = 0, Top = 0, Width = 0, Height = 0;
};
TPlacement PlacePictureOnPage(int width, int height);

// Lays a picture on a fax page at the given place, resampled to fill it; for
// a picture whose pixels are not square (one already rendered for the page).
TFaxPage FitPictureAt(const TGreyPicture& picture, const TPlacement& place);
