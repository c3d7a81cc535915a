#pragma once

// What every fax terminal of the service shares, on whatever line it runs:
// modems up to V.17, ECM, the compressions offered, and how a call's end
// (T.30 phase E) is caught.

#include <string>

extern "C" {
#include <spandsp.h>
}

struct TCallEnd {
    bool Ended = false;
    int Code = T30_ERR_OK;
};

// Quiet logging, our identity, the modems and compressions, the end handler.
void ConfigureT30(t30_state_t* t30, const std::string& ident, TCallEnd* end);

// The file a terminal sends its pages from, or (receiving) files the pages
// it receives into, kept T.6 compressed.
void SetPageFile(t30_state_t* t30, bool sending, const std::string& tiff);

// The words for a T.30 completion code.
std::string CompletionText(int code);
