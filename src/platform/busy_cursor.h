#pragma once

#include "platform/seam.h"

// Shows (true) or restores (false) the busy cursor. The widget layer installs
// the real cursor; without it nothing happens.
extern TSeam<void(bool busy)> BusyCursorSeam;

void SetBusyCursor(bool busy);

// Shows the busy cursor for the life of the object.
class TBusyCursor {
public:
    TBusyCursor() { SetBusyCursor(true); }
    ~TBusyCursor() { SetBusyCursor(false); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};
