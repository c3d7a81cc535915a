#pragma once

#include "platform/seam.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A top-level window of the desktop, as other programs see it.
struct TDesktopWindow {
    uint32_t Handle = 0;
    uint32_t Owner = 0;    // the window it belongs to (a dialog's main window); 0 when none
    bool Visible = false;  // mapped on the screen
    std::string Title;     // UTF-8
};

// Calls proc once for each top-level window of the desktop while proc returns
// true. Without a desktop there is nothing to enumerate.
using TEnumWindowsProc = std::function<bool(const TDesktopWindow& window)>;
void EnumWindows(const TEnumWindowsProc& proc);

// Asks a window to close as its own close box would, and waits a short,
// bounded time for it to go. True when it went.
bool CloseDesktopWindow(uint32_t handle);

// The desktop behind the two calls above; tests put their own in its place.
extern TSeam<std::vector<TDesktopWindow>()> DesktopWindowsSeam;
extern TSeam<bool(uint32_t handle)> CloseDesktopWindowSeam;

// The X11 desktop named by $DISPLAY: the top-level client windows of the
// first screen, and closing one by a WM_DELETE_WINDOW message.
std::vector<TDesktopWindow> ListX11Windows();
bool CloseX11Window(uint32_t handle);
