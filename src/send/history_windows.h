#pragma once

#include "platform/desktop_windows.h"

// One step of the sweep over the desktop's top-level windows: closes the
// window when it is a history folder's window (visible, unowned, its title
// beginning with "faxto"). Always true, so that the sweep goes on.
bool CloseHistoryWindows(const TDesktopWindow& window);
