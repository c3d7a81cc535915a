#pragma once

#include <cstdint>
#include <string>

#include "image/bitmap.h"

// The pictures the benchmarks work on: an A4 page at 300 dpi (2480 × 3508)
// with a colour photograph, a coloured heading and lines of dark text-like
// strokes on white, as a JPEG; and its landscape twin (3508 × 2480), the same
// page lying on its side.
struct TPageFiles {
    std::string Folder;
    std::string Portrait;
    std::string Landscape;
    std::string AppDir;         // no "scanline" marker: turns go pixel by pixel
    std::string AppDirByRow;    // with the marker
    std::string Output;         // where tmp0.bmp is written
};

// Makes the files once in a fresh folder under /tmp; removed at exit.
const TPageFiles& PageFiles();

// The page itself, 24-bit.
TBitmap MakePage();

// Peak memory use: resets the process's high-water mark and returns its
// resident size, then (after the work) the rise of the high-water mark above it.
std::uint64_t ResidentBytes();
void ResetPeakResident();
std::uint64_t PeakResidentBytes();
