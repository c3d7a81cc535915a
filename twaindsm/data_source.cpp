#include "data_source.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t StripBytes = 64 * 1024;

TW_FIX32 ToFix32(double value) {
    TW_FIX32 fix;
    auto scaled = static_cast<int32_t>(value * 65536.0 + 0.5);
    fix.Whole = static_cast<TW_INT16>(scaled >> 16);
    fix.Frac = static_cast<TW_UINT16>(scaled & 0xffff);
    return fix;
}

// A container the application releases with its memory calls: a block of
// the C allocator.
TW_HANDLE Enumeration(std::initializer_list<TW_UINT16> items, TW_UINT32 current) {
    auto* container = static_cast<TW_ENUMERATION*>(std::calloc(1, sizeof(TW_ENUMERATION) + 2 * items.size()));
    if (!container) return nullptr;
    container->ItemType = TWTY_UINT16;
    container->NumItems = TW_UINT32(items.size());
    container->CurrentIndex = current;
    container->DefaultIndex = 0;
    size_t i = 0;
    for (TW_UINT16 item : items) std::memcpy(container->ItemList + 2 * i++, &item, 2);
    return container;
}

TW_HANDLE OneFix32(double value) {
    auto* container = static_cast<TW_ONEVALUE*>(std::calloc(1, sizeof(TW_ONEVALUE)));
    if (!container) return nullptr;
    container->ItemType = TWTY_FIX32;
    TW_FIX32 fix = ToFix32(value);
    std::memcpy(&container->Item, &fix, sizeof fix);
    return container;
}

} // namespace

TDataSource::~TDataSource() {
    Disable();
    sane_close(Device);
}

TW_UINT16 TDataSource::Entry(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
    if (!data && !(group == DG_IMAGE && dat == DAT_IMAGEFILEXFER)) return Fail(TWCC_BADVALUE);
    if (group == DG_CONTROL) {
        switch (dat) {
        case DAT_USERINTERFACE:
            if (message == MSG_ENABLEDS) return Enable(*static_cast<TW_USERINTERFACE*>(data));
            if (message == MSG_DISABLEDS) {
                if (!Enabled) return Fail(TWCC_SEQERROR);
                Disable();
                return TWRC_SUCCESS;
            }
            break;
        case DAT_EVENT:
            if (message == MSG_PROCESSEVENT) return ProcessEvent(*static_cast<TW_EVENT*>(data));
            break;
        case DAT_STATUS:
            if (message == MSG_GET) {
                *static_cast<TW_STATUS*>(data) = {Condition, 0};
                Condition = TWCC_SUCCESS;
                return TWRC_SUCCESS;
            }
            break;
        case DAT_CAPABILITY: return Capability(message, *static_cast<TW_CAPABILITY*>(data));
        case DAT_SETUPMEMXFER:
            if (message == MSG_GET) return SetupMemory(*static_cast<TW_SETUPMEMXFER*>(data));
            break;
        case DAT_PENDINGXFERS:
            if (message == MSG_ENDXFER || message == MSG_RESET) {
                std::lock_guard guard(Lock);
                if (!PageReady) return Fail(TWCC_SEQERROR);
                // One page per enabling: nothing is pending after it.
                PageReady = false;
                Transferring = false;
                Page = TScannedPage();
                static_cast<TW_PENDINGXFERS*>(data)->Count = 0;
                return TWRC_SUCCESS;
            }
            break;
        }
    } else if (group == DG_IMAGE) {
        if (dat == DAT_IMAGEINFO && message == MSG_GET) return ImageInfo(*static_cast<TW_IMAGEINFO*>(data));
        if (dat == DAT_IMAGEMEMXFER && message == MSG_GET) return MemoryStrip(*static_cast<TW_IMAGEMEMXFER*>(data));
    }
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 TDataSource::Enable(const TW_USERINTERFACE& ui) {
    if (Enabled) return Fail(TWCC_SEQERROR);
    auto* parent = static_cast<TWindowHandle*>(ui.hParent);
    if (!parent || !parent->Post) return Fail(TWCC_BADVALUE);
    if (Worker.joinable()) Worker.join();
    Enabled = true;
    Cancel = false;
    Worker = std::thread(&TDataSource::Scan, this, parent);
    // This source has no user interface of its own: asked for one, it scans
    // without it and says so.
    return ui.ShowUI ? TWRC_CHECKSTATUS : TWRC_SUCCESS;
}

void TDataSource::Disable() {
    if (Worker.joinable()) {
        Cancel = true;
        sane_cancel(Device);
        Worker.join();
    }
    std::lock_guard guard(Lock);
    Enabled = false;
    ScanFailed = false;
    PageReady = false;
    Transferring = false;
    Page = TScannedPage();
}

void TDataSource::Scan(TWindowHandle* parent) {
    TScannedPage page;
    std::string reason;
    bool scanned = ScanPage(Device, Cancel, page, reason);
    if (Cancel) return;
    {
        std::lock_guard guard(Lock);
        if (scanned) {
            Page = std::move(page);
            PageReady = true;
            NextRow = 0;
        } else {
            ScanFailed = true;
        }
    }
    parent->Post(parent, WINDOW_APP_MESSAGE, scanned ? MSG_XFERREADY : MSG_CLOSEDSREQ, intptr_t(Id));
}

TW_UINT16 TDataSource::ProcessEvent(TW_EVENT& event) {
    const auto* message = static_cast<const TWindowMessage*>(event.pEvent);
    event.TWMessage = MSG_NULL;
    if (!message || message->Message != WINDOW_APP_MESSAGE || message->LParam != intptr_t(Id)) return TWRC_NOTDSEVENT;
    // A notification of an earlier enabling (posted as it was being cancelled)
    // is taken and dropped: it must not start a transfer of this one.
    std::lock_guard guard(Lock);
    bool current = (message->WParam == MSG_XFERREADY && PageReady && !Transferring) ||
                   (message->WParam == MSG_CLOSEDSREQ && ScanFailed);
    event.TWMessage = current ? TW_UINT16(message->WParam) : MSG_NULL;
    if (message->WParam == MSG_CLOSEDSREQ) ScanFailed = false;
    return TWRC_DSEVENT;
}

TW_UINT16 TDataSource::ImageInfo(TW_IMAGEINFO& info) {
    std::lock_guard guard(Lock);
    if (!PageReady) return Fail(TWCC_SEQERROR);
    info = {};
    info.XResolution = info.YResolution = ToFix32(Page.Resolution);
    info.ImageWidth = Page.Width;
    info.ImageLength = Page.Height;
    info.SamplesPerPixel = Page.Kind == TScannedPage::pkColor ? 3 : 1;
    for (int i = 0; i < info.SamplesPerPixel; ++i) info.BitsPerSample[i] = Page.Kind == TScannedPage::pkBlackWhite ? 1 : 8;
    info.BitsPerPixel = TW_INT16(Page.BitsPerPixel());
    info.Planar = 0;
    info.PixelType = Page.Kind == TScannedPage::pkColor ? TWPT_RGB : Page.Kind == TScannedPage::pkGray ? TWPT_GRAY : TWPT_BW;
    info.Compression = TWCP_NONE;
    return TWRC_SUCCESS;
}

size_t TDataSource::PreferredBytes() const {
    return std::max<size_t>(1, StripBytes / std::max<size_t>(1, Page.Stride)) * Page.Stride;
}

TW_UINT16 TDataSource::SetupMemory(TW_SETUPMEMXFER& setup) {
    std::lock_guard guard(Lock);
    if (!PageReady) return Fail(TWCC_SEQERROR);
    setup.MinBufSize = TW_UINT32(Page.Stride);
    setup.Preferred = TW_UINT32(PreferredBytes());
    setup.MaxBufSize = TW_UINT32(std::max(PreferredBytes(), Page.Rows.size()));
    return TWRC_SUCCESS;
}

TW_UINT16 TDataSource::MemoryStrip(TW_IMAGEMEMXFER& strip) {
    std::lock_guard guard(Lock);
    if (!PageReady || NextRow >= size_t(Page.Height)) return Fail(TWCC_SEQERROR);
    if (!(strip.Memory.Flags & TWMF_POINTER) || !strip.Memory.TheMem || strip.Memory.Length < Page.Stride)
        return Fail(TWCC_BADVALUE);
    size_t rows = std::min<size_t>(strip.Memory.Length / Page.Stride, size_t(Page.Height) - NextRow);
    std::memcpy(strip.Memory.TheMem, Page.Rows.data() + NextRow * Page.Stride, rows * Page.Stride);
    strip.Compression = TWCP_NONE;
    strip.BytesPerRow = TW_UINT32(Page.Stride);
    strip.Columns = TW_UINT32(Page.Width);
    strip.Rows = TW_UINT32(rows);
    strip.XOffset = 0;
    strip.YOffset = TW_UINT32(NextRow);
    strip.BytesWritten = TW_UINT32(rows * Page.Stride);
    NextRow += rows;
    Transferring = true;
    return NextRow == size_t(Page.Height) ? TWRC_XFERDONE : TWRC_SUCCESS;
}

TW_UINT16 TDataSource::Capability(TW_UINT16 message, TW_CAPABILITY& capability) {
    if (message != MSG_GET && message != MSG_GETCURRENT && message != MSG_GETDEFAULT && message != MSG_RESET)
        return Fail(TWCC_CAPBADOPERATION);
    int resolution;
    bool blackWhite;
    {
        std::lock_guard guard(Lock);
        resolution = Page.Resolution;
        blackWhite = Page.Kind == TScannedPage::pkBlackWhite;
    }
    TW_HANDLE container = nullptr;
    TW_UINT16 type = TWON_ENUMERATION;
    switch (capability.Cap) {
    case ICAP_UNITS: container = Enumeration({TWUN_INCHES}, 0); break;
    // A set bit of a black-and-white page is black, so 0 is white.
    case ICAP_PIXELFLAVOR: container = Enumeration({TWPF_CHOCOLATE, TWPF_VANILLA}, blackWhite ? 1 : 0); break;
    case ICAP_XRESOLUTION:
    case ICAP_YRESOLUTION:
        container = OneFix32(resolution > 0 ? resolution : 200);
        type = TWON_ONEVALUE;
        break;
    default: return Fail(TWCC_CAPUNSUPPORTED);
    }
    if (!container) return Fail(TWCC_LOWMEMORY);
    capability.ConType = type;
    capability.hContainer = container;
    return TWRC_SUCCESS;
}
