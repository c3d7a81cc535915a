#pragma once

#include <string>

// Tells when the entries of one folder change (a file created, renamed into
// it, written or removed), through a descriptor that becomes readable; the
// window's event loop watches it. Linux inotify.
class TFolderWatch {
public:
    explicit TFolderWatch(const std::string& folder);
    ~TFolderWatch();
    TFolderWatch(const TFolderWatch&) = delete;
    TFolderWatch& operator=(const TFolderWatch&) = delete;

    bool IsWatching() const { return Descriptor >= 0; }
    // Readable when something changed; -1 when the folder cannot be watched.
    int Handle() const { return Descriptor; }
    // Reads the pending notices; true when there were any.
    bool TakeChanges();

private:
    int Descriptor = -1;
};
