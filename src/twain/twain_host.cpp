#include "twain/twain_host.h"

#include "platform/library_loader.h"
#include "twain/twain_source.h"

#include <cstring>

TTwainHost::TTwainHost() : Info(this), Window([this](const TWindowMessage& message) { return WindowProcedure(message); }) {
    ParentHandle = Window.Handle();
}

TTwainHost::~TTwainHost() {
    SetLibraryLoaded(false);
    ClearSources();
}

void TTwainHost::SetLibraryLoaded(bool loaded) {
    if (loaded == FLibraryLoaded) return;
    if (loaded)
        OpenLibrary();
    else
        CloseLibrary();
}

void TTwainHost::SetSourceManagerLoaded(bool loaded) {
    if (!FLibraryLoaded || loaded == FSourceManagerLoaded) return;
    if (loaded)
        OpenSourceManager();
    else
        CloseSourceManager();
}

bool TTwainHost::OpenLibrary() {
    if (FLibraryLoaded) return true;
    TLibraryCalls calls = LibraryCallsSeam();
    std::string folder = calls.Find(LibraryName);
    if (folder.empty()) return false;
    LibraryHandle = calls.Load(folder + LibraryName);
    if (!LibraryHandle) return false;
    EntryPoint = reinterpret_cast<DSMENTRYPROC>(calls.Resolve(LibraryHandle, EntryName));
    if (!EntryPoint) {
        calls.Free(LibraryHandle);
        LibraryHandle = nullptr;
        return false;
    }
    FreeLibrary = calls.Free;
    FLibraryLoaded = true;
    return true;
}

bool TTwainHost::CloseLibrary() {
    if (!FLibraryLoaded) return true;
    SetSourceManagerLoaded(false);
    if (!FreeLibrary(LibraryHandle)) return false;
    LibraryHandle = nullptr;
    EntryPoint = nullptr;
    FLibraryLoaded = false;
    return true;
}

TW_UINT16 TTwainHost::Call(TW_IDENTITY* dest, TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, void* data) {
    if (!EntryPoint) return TWRC_FAILURE;
    return EntryPoint(&AppIdentity(), dest, group, dat, message, data);
}

bool TTwainHost::OpenSourceManager() {
    if (!FLibraryLoaded || FSourceManagerLoaded) return FSourceManagerLoaded;
    FSourceManagerLoaded = Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &ParentHandle) == TWRC_SUCCESS;
    return FSourceManagerLoaded;
}

bool TTwainHost::CloseSourceManager() {
    if (!FLibraryLoaded || !FSourceManagerLoaded) return true;
    ClearSources();
    if (Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &ParentHandle) != TWRC_SUCCESS) return false;
    FSourceManagerLoaded = false;
    return true;
}

TTwainSource* TTwainHost::NewSource(int position) {
    auto* source = new TTwainSource(this);
    source->TransferMode = TransferMode;
    source->Index = position;
    return source;
}

bool TTwainHost::ListSources() {
    if (!FLibraryLoaded || !FSourceManagerLoaded) return false;
    ClearSources();
    TTwainSource* source = NewSource(0);
    TW_UINT16 code = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &source->Identity());
    while (code == TWRC_SUCCESS) {
        SourceList.Add(source);
        source = NewSource(SourceList.Count());
        code = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &source->Identity());
    }
    FSourcesListed = true;
    delete source;
    return true;
}

void TTwainHost::ClearSources() {
    for (int i = 0; i < SourceList.Count(); ++i) {
        auto* source = static_cast<TTwainSource*>(SourceList.Item(i));
        // A source whose transfer is running (an event handler closed the
        // manager) is closed now and freed when the transfer has returned.
        if (EventDepth > 0) {
            source->Close();
            Retired.push_back(source);
        } else {
            delete source;
        }
    }
    SourceList.Clear();
    FSourcesListed = false;
}

int TTwainHost::SourceCount() {
    if (!FLibraryLoaded || !FSourceManagerLoaded) return 0;
    if (!FSourcesListed) ListSources();
    return SourceList.Count();
}

TTwainSource* TTwainHost::SourceAt(int position) {
    if (!FLibraryLoaded || !FSourceManagerLoaded) return nullptr;
    int count = SourceCount();
    if (position >= 0 && position < count) return static_cast<TTwainSource*>(SourceList.Item(position));
    if (position == -1 && count > 0) return static_cast<TTwainSource*>(SourceList.Item(SystemDefaultIndex()));
    return nullptr;
}

int TTwainHost::SystemDefaultIndex() {
    if (!FSourceManagerLoaded) return 0;
    TW_IDENTITY scratch{};
    if (Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &scratch) != TWRC_SUCCESS) return 0;
    return IndexOfIdentity(scratch);
}

int TTwainHost::IndexOfIdentity(const TW_IDENTITY& identity) const {
    for (int i = 0; i < SourceList.Count(); ++i) {
        auto* source = static_cast<const TTwainSource*>(SourceList.Item(i));
        if (std::memcmp(&source->Identity(), &identity, sizeof(TW_IDENTITY)) == 0) return i;
    }
    return -1;
}

intptr_t TTwainHost::WindowProcedure(const TWindowMessage& message) {
    if (OpenSourceCount <= 0) return 0;
    TWindowMessage record = message;
    ++EventDepth;
    for (int i = 0; i < SourceCount(); ++i) {
        TTwainSource* source = SourceAt(i);
        if (source && source->Opened() && source->SourceEnabled() && source->HandleEvent(record)) break;
    }
    if (--EventDepth == 0) {
        for (TTwainSource* source : Retired) delete source;
        Retired.clear();
    }
    return 0;
}
