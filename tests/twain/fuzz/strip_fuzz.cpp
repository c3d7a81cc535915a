// libFuzzer entry for the memory transfer: a source whose page description,
// strip size, capability answers and strips (their claimed lengths, their
// bytes and their return codes) all come from the input.
#include "image/bitmap.h"
#include "platform/global_memory.h"
#include "platform/library_loader.h"
#include "twain/twain_host.h"
#include "twain/twain_source.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

struct TInput {
    const uint8_t* Data;
    size_t Size;
    size_t At = 0;
    template <class T>
    T Take() {
        T value{};
        size_t n = std::min(sizeof value, Size - At);
        std::memcpy(&value, Data + At, n);
        At += n;
        return value;
    }
    bool Empty() const { return At >= Size; }
};

TInput* Input = nullptr;
int Strips = 0;

TW_HANDLE Enumeration(TW_UINT16 value) {
    auto* e = static_cast<TW_ENUMERATION*>(GlobalAlloc(GMEM_ZEROINIT, sizeof(TW_ENUMERATION) + 2));
    e->ItemType = Input->Take<uint8_t>() % 4 == 0 ? TWTY_UINT32 : TWTY_UINT16;
    e->NumItems = 1;
    e->CurrentIndex = Input->Take<uint8_t>() % 3;
    e->DefaultIndex = 0;
    std::memcpy(e->ItemList, &value, 2);
    return e;
}

TW_UINT16 FuzzEntry(TW_IDENTITY*, TW_IDENTITY* dest, TW_UINT32, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
    switch (dat) {
    case DAT_IDENTITY:
        if (message == MSG_GETFIRST) {
            *static_cast<TW_IDENTITY*>(data) = {};
            return TWRC_SUCCESS;
        }
        return message == MSG_GETNEXT || message == MSG_GETDEFAULT ? TWRC_ENDOFLIST : TWRC_SUCCESS;
    case DAT_EVENT:
        static_cast<TW_EVENT*>(data)->TWMessage = MSG_XFERREADY;
        return TWRC_DSEVENT;
    case DAT_IMAGEINFO: {
        auto* info = static_cast<TW_IMAGEINFO*>(data);
        static const TW_INT16 Depths[] = {1, 4, 8, 24, 32, 16, 0, -8};
        info->ImageWidth = Input->Take<uint8_t>() % 70 - 2;
        info->ImageLength = Input->Take<uint8_t>() % 70 - 2;
        info->BitsPerPixel = Depths[Input->Take<uint8_t>() % 8];
        info->PixelType = TW_INT16(Input->Take<uint8_t>() % 5);
        info->XResolution = {Input->Take<TW_INT16>(), Input->Take<TW_UINT16>()};
        info->YResolution = info->XResolution;
        return Input->Take<uint8_t>() % 16 == 0 ? TWRC_FAILURE : TWRC_SUCCESS;
    }
    case DAT_SETUPMEMXFER: {
        TW_UINT32 preferred = Input->Take<uint8_t>() % 200;
        *static_cast<TW_SETUPMEMXFER*>(data) = {preferred, preferred, preferred};
        return TWRC_SUCCESS;
    }
    case DAT_CAPABILITY: {
        auto* capability = static_cast<TW_CAPABILITY*>(data);
        if (Input->Take<uint8_t>() % 4 == 0) return TWRC_FAILURE;
        capability->ConType = Input->Take<uint8_t>() % 8 == 0 ? TWON_ONEVALUE : TWON_ENUMERATION;
        capability->hContainer = Enumeration(Input->Take<uint8_t>() % 8);
        return TWRC_SUCCESS;
    }
    case DAT_PALETTE8: {
        auto* palette = static_cast<TW_PALETTE8*>(data);
        palette->NumColors = Input->Take<TW_UINT16>();
        return Input->Take<uint8_t>() % 2 ? TWRC_SUCCESS : TWRC_FAILURE;
    }
    case DAT_IMAGEMEMXFER: {
        auto* strip = static_cast<TW_IMAGEMEMXFER*>(data);
        // A source may claim any length; it writes at most its buffer.
        uint32_t claimed = Input->Take<uint16_t>() % 400;
        size_t written = std::min<size_t>({claimed, strip->Memory.Length, Input->Size - Input->At});
        std::memcpy(strip->Memory.TheMem, Input->Data + Input->At, written);
        Input->At += written;
        strip->BytesWritten = claimed;
        if (Input->Empty() || ++Strips > 1000) return TWRC_XFERDONE;
        static const TW_UINT16 Codes[] = {TWRC_SUCCESS, TWRC_SUCCESS, TWRC_SUCCESS, TWRC_XFERDONE, TWRC_CANCEL, TWRC_FAILURE};
        return Codes[Input->Take<uint8_t>() % 6];
    }
    case DAT_PENDINGXFERS:
        static_cast<TW_PENDINGXFERS*>(data)->Count = Input->Empty() || Strips > 1000 ? 0 : Input->Take<uint8_t>() % 2;
        return TWRC_SUCCESS;
    default: (void)dest; return TWRC_SUCCESS;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TInput input{data, size};
    Input = &input;
    Strips = 0;
    TScopedSeam<TLibraryCalls()> library(LibraryCallsSeam, [] {
        return TLibraryCalls{[](const std::string&) { return std::string("/fuzz/"); },
                             [](const std::string&) -> void* { return &Strips; },
                             [](void*, const char*) { return reinterpret_cast<void*>(&FuzzEntry); },
                             [](void*) { return true; }};
    });
    TTwainHost host;
    uint64_t checksum = 0;
    host.OnTwainAcquire = [&](void*, int, TBitmap& image, bool& cancel) {
        for (int y = 0; y < image.Height(); ++y) checksum += image.ScanLine(y)[0];
        cancel = input.Take<uint8_t>() % 2;
    };
    host.OpenLibrary();
    host.SetSourceManagerLoaded(true);
    TTwainSource* source = host.SourceAt(0);
    if (!source) return 0;
    source->TransferMode = ttmMemory;
    source->SetOpened(true);
    source->SetSourceEnabled(true);
    host.MessageWindow().Send(WINDOW_APP_MESSAGE, MSG_XFERREADY, 0);
    Input = nullptr;
    return checksum == 1 ? 1 : 0;
}
