#pragma once

#include "platform/message_window.h"
#include "twain/pointer_list.h"
#include "twain/twain_identity.h"
#include "twain/twain_protocol.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TBitmap;
class TTwainSource;

enum TTwainTransferMode { ttmFile, ttmNative, ttmMemory };
enum TTwainFormat { tfTIFF, tfPict, tfBMP, tfXBM, tfJPEG, tfFPX, tfTIFFMulti, tfPNG, tfSPIFF, tfEXIF, tfUnknown };

// The events through which the sources report. Index is the source's position
// in the host's list.
using TOnSourceNotify = std::function<void(void* sender, int index)>;
using TOnTwainAcquire = std::function<void(void* sender, int index, TBitmap& image, bool& cancel)>;
using TOnSourceFileTransfer =
    std::function<void(void* sender, int index, const std::string& fileName, TTwainFormat format, bool& cancel)>;
using TOnTwainError = std::function<void(void* sender, int index, int32_t errorCode, int32_t additional)>;
using TOnAcquireProgress = std::function<void(void* sender, int index, TBitmap* image, int current, int total)>;

// The scanner source manager: finds and loads its library, opens the manager
// for the application identity Info, lists its data sources and routes their
// notifications, which arrive at an invisible window, to them. Everything runs
// on the thread that made the host; a whole transfer runs inside the window's
// procedure. An event handler may close its source, and even the manager: the
// source objects are then closed at once but freed only when the transfer
// has returned.
class TTwainHost {
public:
    static constexpr const char* LibraryName = "libpelmortwain.so";
    static constexpr const char* EntryName = "DSM_Entry";

    TTwainHost();
    ~TTwainHost();
    TTwainHost(const TTwainHost&) = delete;
    TTwainHost& operator=(const TTwainHost&) = delete;

    TOnSourceNotify OnSourceDisable;
    TOnSourceNotify OnAcquireCancel;
    TOnTwainAcquire OnTwainAcquire;
    TOnSourceNotify OnSourceSetupFileXfer;
    TOnSourceFileTransfer OnSourceFileTransfer;
    TOnTwainError OnAcquireError;
    TOnAcquireProgress OnAcquireProgress;

    TTwainTransferMode TransferMode = ttmMemory;
    TTwainIdentity Info;
    void SetInfo(const TTwainIdentity& identity) { Info.Assign(identity); }
    TW_IDENTITY& AppIdentity() { return Info.Identity(); }

    bool LibraryLoaded() const { return FLibraryLoaded; }
    void SetLibraryLoaded(bool loaded);
    bool SourceManagerLoaded() const { return FSourceManagerLoaded; }
    void SetSourceManagerLoaded(bool loaded);

    // True when the library is (already or now) loaded with its entry point.
    bool OpenLibrary();
    bool CloseLibrary();

    // Lists the sources on the first call after the manager opened.
    int SourceCount();
    // The source at a position; -1 stands for the manager's default source.
    TTwainSource* SourceAt(int position);
    int IndexOfIdentity(const TW_IDENTITY& identity) const;
    int SystemDefaultIndex();
    bool ListSources();
    void ClearSources();
    bool SourcesListed() const { return FSourcesListed; }

    // One call into the manager, with AppIdentity as origin.
    TW_UINT16 Call(TW_IDENTITY* dest, TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, void* data);

    TWindowHandle* HiddenWindow() { return Window.Handle(); }
    TMessageWindow& MessageWindow() { return Window; }
    int OpenSourceCount = 0;

private:
    bool OpenSourceManager();
    bool CloseSourceManager();
    TTwainSource* NewSource(int position);
    intptr_t WindowProcedure(const TWindowMessage& message);

    TPointerList SourceList;
    int EventDepth = 0;
    std::vector<TTwainSource*> Retired;
    bool FSourcesListed = false;
    void* LibraryHandle = nullptr;
    DSMENTRYPROC EntryPoint = nullptr;
    std::function<bool(void*)> FreeLibrary;
    bool FLibraryLoaded = false;
    bool FSourceManagerLoaded = false;
    TWindowHandle* ParentHandle = nullptr;
    TMessageWindow Window;
};
