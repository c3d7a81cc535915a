#include "send/history_windows.h"

#include <algorithm>

bool CloseHistoryWindows(const TDesktopWindow& window) {
    if (window.Owner != 0 || !window.Visible) return true;
    if (window.Title.empty()) return true;
    std::string upper = window.Title;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : char(c); });
    if (upper == "PROGRAM MANAGER") return true;
    if (window.Title.compare(0, 5, "faxto") == 0) CloseDesktopWindow(window.Handle);
    return true;
}
