#pragma once

#include <sane/sane.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// One scanned page as the source hands it out: rows top first, each padded
// to a multiple of four bytes; red, green, blue samples of 8 bits for colour,
// 8-bit grey, or 1-bit black-and-white where a set bit is black.
struct TScannedPage {
    enum TKind { pkColor, pkGray, pkBlackWhite };
    TKind Kind = pkColor;
    int Width = 0;
    int Height = 0;
    int Resolution = 0;
    size_t Stride = 0;
    std::vector<uint8_t> Rows;

    int BitsPerPixel() const { return Kind == pkColor ? 24 : Kind == pkGray ? 8 : 1; }
};

// Sets the device up for a colour page at 200 dpi (or the nearest resolution
// it offers) and scans one page into memory. Cancel, set from another
// thread while sane_cancel is called, ends the scan. False with a short reason
// when no page could be had.
bool ScanPage(SANE_Handle device, const std::atomic<bool>& cancel, TScannedPage& page, std::string& reason);
