#pragma once

// Closes the desktop's open history-folder windows (visible, unowned
// top-level windows whose title begins with "faxto").
void CloseHistoryWindows();
