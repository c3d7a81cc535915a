#pragma once

// Where a dragged window goes: its centre jumps under the pointer, then the
// left and top are clamped to 0 and then to the upper limit, which wins when
// it is negative (a work area smaller than the window).
struct TWindowPosition {
    int Left = 0;
    int Top = 0;
};

// left, top, width, height: the window now; x, y: the pointer in client
// coordinates; maxLeft, maxTop: the limits taken at start-up.
TWindowPosition DragTarget(int left, int top, int width, int height, int x, int y, int maxLeft, int maxTop);
