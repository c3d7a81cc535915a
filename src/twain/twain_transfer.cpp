// The image transfers of a source: the loop over pending pages, the memory
// transfer into a bitmap made for it, and the hand-over of each image to the
// owner's events.
#include "twain/twain_source.h"

#include "platform/global_memory.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

int64_t RowBytes(int64_t bitsPerPixel, int64_t width) { return (bitsPerPixel * width + 31) / 32 * 4; }

TTwainFormat FormatOfCode(TW_UINT16 code) { return code <= 9 ? TTwainFormat(code) : tfUnknown; }

} // namespace

void TTwainSource::TransferAll() {
    TTwainHost& owner = *Owner();
    bool cancel = false;
    bool done = false;
    while (!done) {
        TW_UINT16 code;
        TW_SETUPFILEXFER setup{};
        TW_HANDLE native = nullptr;
        HBITMAP bitmap = nullptr;
        switch (TransferMode) {
        case ttmFile:
            if (owner.OnSourceSetupFileXfer) owner.OnSourceSetupFileXfer(&owner, Index);
            CallSource(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, &setup);
            code = CallSource(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
            break;
        case ttmNative: code = CallSource(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &native); break;
        default: {
            TW_INT16 pixelType = 0;
            code = PrepareMemoryTransfer(bitmap, pixelType);
            if (code == TWRC_SUCCESS) code = RunMemoryTransfer(bitmap, pixelType);
            break;
        }
        }
        if (code == TWRC_CANCEL) {
            done = true;
            if (owner.OnAcquireCancel) owner.OnAcquireCancel(&owner, Index);
        } else if (code == TWRC_XFERDONE) {
            switch (TransferMode) {
            case ttmFile: DeliverFile(setup.FileName, setup.Format, cancel); break;
            case ttmNative: DeliverNative(native, cancel); break;
            default: DeliverMemory(bitmap, cancel); break;
            }
        } else {
            TW_UINT16 condition = ReadStatus();
            if (owner.OnAcquireError) owner.OnAcquireError(&owner, Index, code, condition);
        }
        if (!done) {
            TW_PENDINGXFERS pending{};
            done = CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending) != TWRC_SUCCESS || pending.Count == 0;
            if (!done && cancel) {
                TW_PENDINGXFERS reset{};
                done = CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &reset) == TWRC_SUCCESS;
            }
        }
    }
    SetSourceEnabled(false);
}

TW_UINT16 TTwainSource::PrepareMemoryTransfer(HBITMAP& bitmap, TW_INT16& pixelType) {
    bitmap = nullptr;
    TW_IMAGEINFO info{};
    TW_UINT16 code = CallSource(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info);
    if (code != TWRC_SUCCESS) return code;
    pixelType = info.PixelType;
    int64_t imageBytes = RowBytes(info.BitsPerPixel, info.ImageWidth) * info.ImageLength;
    TW_SETUPMEMXFER setup{};
    CallSource(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
    // A source that names no strip size cannot be transferred from.
    if (setup.Preferred == 0) return TWRC_FAILURE;
    int64_t sizeImage = (imageBytes / setup.Preferred + 1) * setup.Preferred;

    struct TDibHeader {
        BITMAPINFOHEADER Header;
        RGBQUAD Colors[256];
    };
    std::unique_ptr<void, HGLOBAL (*)(HGLOBAL)> memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(TDibHeader)),
                                                       GlobalFree);
    if (!memory) return TWRC_FAILURE;
    auto* dib = static_cast<TDibHeader*>(GlobalLock(memory.get()));
    dib->Header.biSize = sizeof(BITMAPINFOHEADER);
    dib->Header.biWidth = info.ImageWidth;
    dib->Header.biHeight = info.ImageLength;
    dib->Header.biPlanes = 1;
    dib->Header.biBitCount = static_cast<uint16_t>(info.BitsPerPixel);
    dib->Header.biCompression = BI_RGB;
    dib->Header.biSizeImage = sizeImage > UINT32_MAX ? 0 : static_cast<uint32_t>(sizeImage);

    MalformedReply = false;
    TScanUnits units = suUnknown;
    std::set<TScanUnits> allUnits;
    ReadUnits(cqGet, units, allUnits);
    dib->Header.biXPelsPerMeter = PixelsPerMeter(FixedToReal(info.XResolution), units);
    dib->Header.biYPelsPerMeter = PixelsPerMeter(FixedToReal(info.YResolution), units);

    auto grey = [dib] {
        dib->Header.biClrUsed = 256;
        for (int i = 0; i < 256; ++i) dib->Colors[i] = RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    };
    if (info.PixelType == TWPT_BW) {
        TScanPixelFlavor flavor = sfChocolate;
        std::set<TScanPixelFlavor> flavors;
        if (ReadPixelFlavor(cqGet, flavor, flavors) != coSuccess) flavor = sfChocolate;
        dib->Header.biClrUsed = 2;
        uint8_t first = flavor == sfVanilla ? 255 : 0;
        dib->Colors[0] = RGBQUAD{first, first, first, 0};
        dib->Colors[1] = RGBQUAD{uint8_t(255 - first), uint8_t(255 - first), uint8_t(255 - first), 0};
    } else if (info.PixelType == TWPT_GRAY) {
        grey();
    } else if (info.PixelType == TWPT_RGB) {
        dib->Header.biClrUsed = 0;
    } else {
        TW_PALETTE8 palette{};
        if (CallSource(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette) != TWRC_SUCCESS) {
            grey();
        } else {
            dib->Header.biClrUsed = std::min<uint32_t>(palette.NumColors, 256);
            for (uint32_t i = 0; i < dib->Header.biClrUsed; ++i)
                dib->Colors[i] = RGBQUAD{palette.Colors[i].Channel3, palette.Colors[i].Channel2, palette.Colors[i].Channel1, 0};
        }
    }
    if (MalformedReply) return TWRC_FAILURE;
    bitmap = CreateDIBSection(&dib->Header, nullptr);
    GlobalUnlock(memory.get());
    return bitmap ? TWRC_SUCCESS : TW_UINT16(TWRC_FAILURE);
}

TW_UINT16 TTwainSource::RunMemoryTransfer(HBITMAP bitmap, TW_INT16 pixelType) {
    TW_SETUPMEMXFER setup{};
    TW_UINT16 status = CallSource(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
    BITMAP record;
    GetObject(bitmap, record);
    const int64_t stride = RowBytes(record.bmBitsPixel, record.bmWidth);
    const int height = record.bmHeight;
    if (setup.Preferred == 0 || stride != record.bmWidthBytes) status = TWRC_FAILURE;

    // Rows arrive top row first as one stream; a row may span strips. Row is
    // the image row being filled, counted from the bottom.
    int row = height - 1;
    int64_t filled = 0;
    std::vector<uint8_t> buffer(status == TWRC_SUCCESS ? setup.Preferred : 0);
    TW_IMAGEMEMXFER strip;
    std::memset(&strip, 0xff, sizeof strip);
    strip.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
    strip.Memory.Length = setup.Preferred;
    strip.Memory.TheMem = buffer.data();
    while (status == TWRC_SUCCESS) {
        strip.BytesWritten = 0;
        status = CallSource(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
        if (status != TWRC_SUCCESS && status != TWRC_XFERDONE) break;
        // A source may not claim more than the buffer it was given, nor more
        // than the picture holds.
        if (strip.BytesWritten > buffer.size()) {
            status = TWRC_FAILURE;
            break;
        }
        const uint8_t* from = buffer.data();
        int64_t remaining = strip.BytesWritten;
        while (remaining > 0) {
            if (row < 0) {
                status = TWRC_FAILURE;
                break;
            }
            uint8_t* rowStart = record.bmBits + stride * (height - 1 - row);
            int64_t n = std::min(remaining, stride - filled);
            std::memcpy(rowStart + filled, from, size_t(n));
            from += n;
            remaining -= n;
            filled += n;
            if (filled == stride) {
                // Only whole three-byte pixels are swapped: a source that calls
                // a page of another depth RGB keeps its bytes.
                if (pixelType == TWPT_RGB && record.bmBitsPixel == 24)
                    for (int x = 0; x < record.bmWidth; ++x) std::swap(rowStart[x * 3], rowStart[x * 3 + 2]);
                filled = 0;
                --row;
                if (Owner()->OnAcquireProgress) Owner()->OnAcquireProgress(this, Index, bitmap, height - 1 - row, height - 1);
            }
        }
    }
    if (status != TWRC_XFERDONE) DeleteObject(bitmap);
    return status;
}

void TTwainSource::DeliverNative(TW_HANDLE dib, bool& cancel) {
    // The block holds a packed DIB; its size is not known here beyond what its
    // header tells, so the header and colour table are read first.
    auto* memory = static_cast<const uint8_t*>(GlobalLock(dib));
    if (!memory) return;
    BITMAPINFOHEADER header;
    std::memcpy(&header, memory, sizeof header);
    uint64_t size = header.biSize;
    if (header.biSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core;
        std::memcpy(&core, memory, sizeof core);
        size += 3ull * (core.bcBitCount <= 8 ? 1u << core.bcBitCount : 0) +
                RowBytes(core.bcBitCount, core.bcWidth) * core.bcHeight;
    } else {
        uint64_t colours = header.biClrUsed ? header.biClrUsed : header.biBitCount <= 8 ? 1u << header.biBitCount : 0;
        int64_t rows = header.biHeight < 0 ? -int64_t(header.biHeight) : header.biHeight;
        size += 4 * colours + uint64_t(RowBytes(header.biBitCount, header.biWidth) * rows);
    }
    HBITMAP bitmap = CreateDIBitmap(memory, size_t(size));
    if (bitmap && Owner()->OnTwainAcquire) Owner()->OnTwainAcquire(Owner(), Index, *bitmap, cancel);
    DeleteObject(bitmap);
    GlobalUnlock(dib);
    GlobalFree(dib);
}

void TTwainSource::DeliverMemory(HBITMAP bitmap, bool& cancel) {
    if (Owner()->OnTwainAcquire) Owner()->OnTwainAcquire(Owner(), Index, *bitmap, cancel);
    DeleteObject(bitmap);
}

void TTwainSource::DeliverFile(const TW_STR255& fileName, TW_UINT16 format, bool& cancel) {
    if (!Owner()->OnSourceFileTransfer) return;
    std::string name(fileName, strnlen(fileName, sizeof(TW_STR255)));
    Owner()->OnSourceFileTransfer(this, Index, name, FormatOfCode(format), cancel);
}
