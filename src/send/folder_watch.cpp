#include "send/folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

TFolderWatch::TFolderWatch(const std::string& folder) {
    Descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (Descriptor < 0) return;
    if (inotify_add_watch(Descriptor, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE) < 0) {
        close(Descriptor);
        Descriptor = -1;
    }
}

TFolderWatch::~TFolderWatch() {
    if (Descriptor >= 0) close(Descriptor);
}

bool TFolderWatch::TakeChanges() {
    if (Descriptor < 0) return false;
    bool any = false;
    alignas(inotify_event) char buffer[4096];
    while (read(Descriptor, buffer, sizeof buffer) > 0) any = true;
    return any;
}
