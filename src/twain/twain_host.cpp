#include "twain/twain_host.h"

#include <dlfcn.h>

TTwainHost::~TTwainHost() { SetLibraryLoaded(false); }

bool TTwainHost::OpenLibrary() {
    if (LibraryHandle) return true;
    LibraryHandle = dlopen("libpelmortwain.so", RTLD_NOW | RTLD_LOCAL);
    if (LibraryHandle && !dlsym(LibraryHandle, "DSM_Entry")) {
        dlclose(LibraryHandle);
        LibraryHandle = nullptr;
    }
    return LibraryHandle != nullptr;
}

void TTwainHost::SetLibraryLoaded(bool loaded) {
    if (loaded) {
        OpenLibrary();
        return;
    }
    SetSourceManagerLoaded(false);
    if (LibraryHandle) dlclose(LibraryHandle);
    LibraryHandle = nullptr;
}

void TTwainHost::SetSourceManagerLoaded(bool loaded) {
    // The source list is read from the manager when it opens; the manager
    // protocol arrives with the scanner library.
    ManagerOpen = loaded && LibraryHandle != nullptr;
    if (!ManagerOpen) Sources.clear();
}

TTwainSource* TTwainHost::SourceAt(int index) {
    if (index < 0 || index >= SourceCount()) return nullptr;
    return &Sources[static_cast<size_t>(index)];
}
