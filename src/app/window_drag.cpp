#include "app/window_drag.h"

namespace {

int Clamp(int value, int upper) {
    if (value < 0) value = 0;
    if (value > upper) value = upper;
    return value;
}

} // namespace

TWindowPosition DragTarget(int left, int top, int width, int height, int x, int y, int maxLeft, int maxTop) {
    // Integer halves truncate toward zero, as C++ division does.
    return {Clamp(left + x - width / 2, maxLeft), Clamp(top + y - height / 2, maxTop)};
}
