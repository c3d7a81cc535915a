#pragma once

#include "platform/library_loader.h"
#include "platform/window_handle.h"
#include "twain/twain_protocol.h"

#include <cstdint>
#include <string>
#include <vector>

// A source manager played by the test: it answers every call from a script
// and records each as "DAT/MSG" (for example "IDENTITY/OPENDS"). While it
// lives, the host's library loading finds it instead of a real library.
class TScriptedManager {
public:
    TScriptedManager();
    ~TScriptedManager();

    std::vector<std::string> Calls;
    int Sources = 1;         // sources the enumeration lists
    int DefaultSource = -1;  // -1: the manager names no default
    TW_UINT16 EnableCode = TWRC_SUCCESS;
    TW_UINT16 ConditionCode = TWCC_SUCCESS;

    // The page: its record, the bytes handed out in strips of Preferred bytes,
    // and how many pages remain after it.
    TW_IMAGEINFO Info{};
    TW_UINT32 Preferred = 0;
    std::vector<uint8_t> Page;
    int PendingAfterPage = 0;
    TW_UINT16 Units = TWUN_INCHES;
    TW_UINT16 Flavor = TWPF_CHOCOLATE;
    TW_UINT32 EnumerationIndex = 0;  // current index of the capability answers
    bool CapabilitiesAnswered = true;

    // A page of the given size and depth whose bytes are 0, 1, 2, ...
    void SetPage(int width, int height, int bitsPerPixel, TW_INT16 pixelType, TW_UINT32 preferred);
    // The calls whose names contain the text, in order.
    std::vector<std::string> CallsOf(const std::string& text) const;

    TW_UINT16 Answer(TW_IDENTITY* dest, TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data);

private:
    size_t Sent = 0;
    int Listed = 0;
    int PagesLeft = 0;
    TScopedSeam<TLibraryCalls()> Library;
};
