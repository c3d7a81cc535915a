#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>

#include <vector>

// One page of a received fax as the viewer draws it: a one-bit image (colour
// index 0 white, 1 black) and the resolution it was scanned at. Fax pages
// come at 204 x 196 or 204 x 98 dots per inch; a page is only shown, printed
// and saved at its true proportions when both are honoured.
struct TFaxPageImage {
    QImage Image;
    double XDpi = 204;
    double YDpi = 196;

    // The page's size on paper, in inches.
    QSizeF Inches() const { return {Image.width() / XDpi, Image.height() / YDpi}; }
    // Pixels on screen at this width, the height following the page's proportions.
    QSize DisplaySize(int width) const;
};

// The number of pages of a TIFF file; 0 when it cannot be read.
int CountFaxPages(const QString& path);

// Reads page index (from 0) of a bilevel TIFF (any compression libtiff
// decodes, either photometric sense). False with a short error for anything
// else; libtiff's own messages never reach the console.
bool ReadFaxPageImage(const QString& path, int index, TFaxPageImage& page, QString& error);

// The page in grey, smoothly scaled to width pixels across and the height
// its resolution asks for: readable when made smaller, never squashed.
QImage DisplayImage(const TFaxPageImage& page, int width);
