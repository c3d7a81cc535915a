#pragma once

#include "platform/seam.h"

#include <string>

// The folders a shared library of the system is looked for in, in this order.
// Only folders that an ordinary user cannot write to, and the application's
// own folder, are searched: code is never loaded from the working folder or
// the temporary folder.
enum TFolderKind { fkSystemLocal, fkSystem, fkApplication };

// The folder of a kind, ending in "/"; empty when it cannot be told.
std::string StandardFolder(TFolderKind kind);

// The first folder that holds the file; empty when none does.
std::string FindLibraryFolder(const std::string& fileName);

// Loading a shared library and resolving one of its exports. Tests replace
// these to stand a scripted library in for a real one.
struct TLibraryCalls {
    std::function<std::string(const std::string& fileName)> Find;
    std::function<void*(const std::string& path)> Load;
    std::function<void*(void* library, const char* name)> Resolve;
    std::function<bool(void* library)> Free;
};
TLibraryCalls SystemLibraryCalls();
extern TSeam<TLibraryCalls()> LibraryCallsSeam;
