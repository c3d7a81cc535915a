#include "platform/busy_cursor.h"

TSeam<void(bool)> BusyCursorSeam([](bool) {});

void SetBusyCursor(bool busy) { BusyCursorSeam(busy); }
