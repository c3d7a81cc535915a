#include "image/track_bar.h"

#include <gtest/gtest.h>

#include <QTest>

#include <memory>

namespace {

// The threshold slider of the preview: 128 wide, 0 to 255, at 60, so that its
// thumb centre is at x 32 and a pixel of drag is 2.125 units.
class TrackBar : public ::testing::Test {
protected:
    TrackBar() {
        Window.resize(200, 60);
        Bar = new TYTrackBar(&Window);
        Bar->setGeometry(10, 10, 128, 30);
        Bar->SetMax(255);
        Bar->SetPosition(60);
        Bar->OnChange = [this](TYTrackBar&) { ++Changes; };
        Bar->OnMouseUp = [this](TYTrackBar&, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++Releases; };
        Window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window));
        QApplication::processEvents();
    }
    void Drag(int from, std::initializer_list<int> to) {
        QTest::mousePress(Bar, Qt::LeftButton, {}, QPoint(from, 15));
        for (int x : to) QTest::mouseMove(Bar, QPoint(x, 15));
    }
    QRgb At(int x, int y) const { return Bar->Surface().pixel(x, y) & 0xFFFFFF; }

    QWidget Window;
    TYTrackBar* Bar;
    int Changes = 0;
    int Releases = 0;
};

TEST_F(TrackBar, APressWithinHalfAThumbOfItsCentreDragsItOnePixelFurtherDoesNot) {
    struct {
        int Press, Move, Position;
    } const cases[] = {{27, 28, 62}, {37, 36, 58}, {26, 27, 60}, {38, 37, 60}};
    for (const auto& c : cases) {
        Bar->SetPosition(60);
        QApplication::processEvents();
        Drag(c.Press, {c.Move});
        EXPECT_EQ(Bar->Position(), c.Position) << "press at " << c.Press;
        QTest::mouseRelease(Bar, Qt::LeftButton, {}, QPoint(c.Move, 15));
        QApplication::processEvents();
    }
    EXPECT_EQ(Releases, 4);  // a release fires whether or not a drag took place
    EXPECT_EQ(Changes, 2);
}

TEST_F(TrackBar, DraggingBeyondTheEndStopsAtMaxAndCountsBackFromThePressPoint) {
    Drag(32, {900});
    EXPECT_EQ(Bar->Position(), 255);
    QTest::mouseMove(Bar, QPoint(33, 15));
    EXPECT_EQ(Bar->Position(), 62);
    QTest::mouseMove(Bar, QPoint(-900, 15));
    EXPECT_EQ(Bar->Position(), 0);
    QTest::mouseMove(Bar, QPoint(32, 15));  // back at the start: no repaint, still a change
    EXPECT_EQ(Bar->Position(), 60);
    EXPECT_EQ(Changes, 4);
}

TEST_F(TrackBar, SettersIgnoreValuesThatWouldEmptyTheRangeOrShrinkTheThumbTooFar) {
    Bar->SetMax(0);
    Bar->SetMin(255);
    Bar->SetThumbWidth(1);
    EXPECT_EQ(Bar->Max(), 255);
    EXPECT_EQ(Bar->Min(), 0);
    EXPECT_EQ(Bar->ThumbWidth(), 10);
    EXPECT_EQ(Bar->LeftMargin(), 4);  // the start-up margins do not follow the width of 10
    Bar->SetThumbWidth(12);
    EXPECT_EQ(Bar->LeftMargin(), 7);
    EXPECT_EQ(Bar->RightMargin(), 7);
    Bar->SetPosition(300);
    EXPECT_EQ(Bar->Position(), 255);
    Bar->SetMax(100);
    EXPECT_EQ(Bar->Position(), 255);
}

TEST_F(TrackBar, TheDragOutlineInvertsThePixelsAndTheSolidThumbReturnsOnRelease) {
    const QRgb background = At(1, 1);
    EXPECT_EQ(At(27, 1), 0u);  // the solid thumb's black rim, x 27 to 36
    Drag(32, {40});            // 60 + 17 = 77: centre at 4 + 36 = 40
    EXPECT_EQ(Bar->Position(), 77);
    // The outline, x 35 to 44, inverts what it crosses: the surface above
    // the gauge and the white gauge itself.
    EXPECT_EQ(At(40, 1), ~background & 0xFFFFFF);
    EXPECT_EQ(At(44, 14), 0u);
    QTest::mouseRelease(Bar, Qt::LeftButton, {}, QPoint(40, 15));
    QApplication::processEvents();
    EXPECT_EQ(At(44, 1), 0u);
    EXPECT_EQ(At(27, 1), background);
    EXPECT_EQ(At(20, 14), 0xFFFFFFu);  // the gauge, white again where the thumb was
}

} // namespace
