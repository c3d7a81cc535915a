#include "app/window_drag.h"

#include <gtest/gtest.h>

TEST(WindowDrag, TheCentreJumpsUnderThePointer) {
    // Window at (212, 87), 452 × 383; pointer at client (300, 200).
    TWindowPosition p = DragTarget(212, 87, 452, 383, 300, 200, 1000, 1000);
    EXPECT_EQ(p.Left, 212 + 300 - 226);
    EXPECT_EQ(p.Top, 87 + 200 - 191);  // half of 383 truncates to 191
}

TEST(WindowDrag, ClampsToZeroThenToTheUpperLimit) {
    EXPECT_EQ(DragTarget(10, 10, 452, 383, 0, 0, 500, 400).Left, 0);
    EXPECT_EQ(DragTarget(10, 10, 452, 383, 0, 0, 500, 400).Top, 0);
    EXPECT_EQ(DragTarget(400, 300, 452, 383, 440, 380, 500, 400).Left, 500);
    EXPECT_EQ(DragTarget(400, 300, 452, 383, 440, 380, 500, 400).Top, 400);
}

TEST(WindowDrag, ANegativeUpperLimitWinsOverZero) {
    // A work area narrower than the window: every drag puts the edge at the limit.
    for (int x : {0, 100, 451}) {
        TWindowPosition p = DragTarget(0, 0, 452, 383, x, 100, -52, -20);
        EXPECT_EQ(p.Left, -52);
        EXPECT_EQ(p.Top, -20);
    }
}
