#pragma once

#include "platform/window_handle.h"
#include "scanned_page.h"
#include "twain/twain_protocol.h"

#include <sane/sane.h>

#include <atomic>
#include <mutex>
#include <thread>

// One open SANE device as a data source. Enabling without a user interface
// scans a page on a worker thread and posts MSG_XFERREADY to the parent
// window when it is in memory (MSG_CLOSEDSREQ when the scan fails); the page
// is then handed out in strips of whole rows.
class TDataSource {
public:
    TDataSource(TW_UINT32 id, SANE_Handle device) : Id(id), Device(device) {}
    ~TDataSource();
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    // One triplet addressed to this source; the condition code of a failure
    // is kept for DAT_STATUS.
    TW_UINT16 Entry(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data);

private:
    TW_UINT16 Fail(TW_UINT16 condition) {
        Condition = condition;
        return TWRC_FAILURE;
    }
    TW_UINT16 Enable(const TW_USERINTERFACE& ui);
    void Disable();
    TW_UINT16 ProcessEvent(TW_EVENT& event);
    TW_UINT16 ImageInfo(TW_IMAGEINFO& info);
    TW_UINT16 SetupMemory(TW_SETUPMEMXFER& setup);
    TW_UINT16 MemoryStrip(TW_IMAGEMEMXFER& strip);
    TW_UINT16 Capability(TW_UINT16 message, TW_CAPABILITY& capability);
    void Scan(TWindowHandle* parent);
    size_t PreferredBytes() const;

    const TW_UINT32 Id;
    SANE_Handle Device;
    TW_UINT16 Condition = TWCC_SUCCESS;
    std::thread Worker;
    std::atomic<bool> Cancel{false};
    std::mutex Lock;
    bool Enabled = false;
    bool PageReady = false;  // guarded by Lock
    bool ScanFailed = false; // guarded by Lock
    TScannedPage Page;       // written by the worker before PageReady
    size_t NextRow = 0;
    bool Transferring = false;
};
