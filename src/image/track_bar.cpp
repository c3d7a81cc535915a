#include "image/track_bar.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// Lines as the desktop's pens draw them: from the first point up to, but not
// including, the second. Only level and upright lines are needed here.
void PenLine(QImage& image, QPoint from, QPoint to, const QColor& color, int width) {
    QPainter painter(&image);
    // A wide pen lies across the line with its extra width before it.
    const int thick = std::max(1, width);
    const int start = thick / 2;
    if (from.x() == to.x()) {
        const int top = std::min(from.y(), to.y() + (to.y() > from.y() ? 0 : 1));
        const int bottom = std::max(from.y(), to.y() - (to.y() > from.y() ? 1 : 0));
        painter.fillRect(QRect(from.x() - start, top, thick, bottom - top + 1), color);
    } else {
        const int left = std::min(from.x(), to.x() + (to.x() > from.x() ? 0 : 1));
        const int right = std::max(from.x(), to.x() - (to.x() > from.x() ? 1 : 0));
        painter.fillRect(QRect(left, from.y() - start, right - left + 1, thick), color);
    }
}

void PenPolyline(QImage& image, QPoint a, QPoint b, QPoint c, const QColor& color, int width) {
    PenLine(image, a, b, color, width);
    PenLine(image, b, c, color, width);
}

} // namespace

TYTrackBar::TYTrackBar(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    FThumbColor = palette().color(QPalette::Button);
    resize(160, 30);
    FGageLength = width() - FLeftMargin - FRightMargin;
}

void TYTrackBar::SetMax(int value) {
    if (value == FMax || value <= FMin) return;
    FMax = value;
    update();
}

void TYTrackBar::SetMin(int value) {
    if (value == FMin || value >= FMax) return;
    FMin = value;
    update();
}

void TYTrackBar::SetThumbWidth(int value) {
    if (value == FThumbWidth || value < 2) return;
    FThumbWidth = value;
    FLeftMargin = FRightMargin = value / 2 + 1;
    update();
}

void TYTrackBar::SetPosition(int value) {
    if (value == FPosition) return;
    FPosition = value > FMax ? FMax : value < FMin ? FMin : value;
    update();
}

void TYTrackBar::Paint() {
    if (FSurface.isNull()) return;
    const int w = width(), h = height();
    FGageLength = w - FLeftMargin - FRightMargin;
    FThumbX = FLeftMargin + int(double(int64_t(FPosition) - FMin) / double(int64_t(FMax) - FMin) * FGageLength);

    {
        QPainter painter(&FSurface);
        painter.fillRect(QRect(QPoint(FLeftMargin, FTopMargin), QPoint(w - FRightMargin - 1, h - FBottomMargin - 1)),
                         FGageColor);
    }
    PenPolyline(FSurface, {FLeftMargin, h - FBottomMargin}, {FLeftMargin, FTopMargin}, {w - FRightMargin, FTopMargin},
                Qt::black, 2);
    PenPolyline(FSurface, {w - FRightMargin + 1, FTopMargin - 1}, {w - FRightMargin + 1, h - FBottomMargin + 1},
                {FRightMargin, h - FBottomMargin + 1}, Qt::white, 1);

    const int half = FThumbWidth / 2;
    const int left = FThumbX - half, right = FThumbX + half;
    if (FDragging) {
        if (FOutlineX == -1)
            FOutlineX = FThumbX;
        else
            InvertFrame(FOutlineX - half, FOutlineX + half);  // the old outline inverted back
        InvertFrame(left, right);
        return;
    }
    QPainter painter(&FSurface);
    painter.fillRect(QRect(QPoint(left, 1), QPoint(right - 1, h - 2)), Qt::black);
    painter.fillRect(QRect(QPoint(left + 1, 2), QPoint(right - 2, h - 4)), FThumbColor);
    painter.end();
    PenPolyline(FSurface, {left + 1, h - 3}, {left + 1, 2}, {right - 1, 2}, Qt::white, 1);
}

// Inverts the frame of the rectangle (left, 1) to (right, Height - 1), right
// and bottom edges excluded, each pixel exactly once.
void TYTrackBar::InvertFrame(int left, int right) {
    const int top = 1, bottom = height() - 2;
    const int last = right - 1;
    if (last < left || bottom < top) return;
    auto invert = [this](int x, int y) {
        if (x < 0 || y < 0 || x >= FSurface.width() || y >= FSurface.height()) return;
        auto* row = reinterpret_cast<QRgb*>(FSurface.scanLine(y));
        row[x] ^= 0x00FFFFFFu;
    };
    for (int x = left; x <= last; ++x) {
        invert(x, top);
        if (bottom != top) invert(x, bottom);
    }
    for (int y = top + 1; y < bottom; ++y) {
        invert(left, y);
        if (last != left) invert(last, y);
    }
}

void TYTrackBar::paintEvent(QPaintEvent*) {
    if (!FPaintedDirectly) {
        // Asked by the desktop: the area starts from the parent's surface.
        FSurface.fill(palette().color(QPalette::Window));
        Paint();
    }
    QPainter painter(this);
    painter.drawImage(0, 0, FSurface);
}

void TYTrackBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FSurface = QImage(size(), QImage::Format_RGB32);
    FSurface.fill(palette().color(QPalette::Window));
}

void TYTrackBar::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const int half = FThumbWidth / 2;
    FDragging = FThumbX - half <= at.x() && at.x() <= FThumbX + half;
    if (FDragging) {
        FDragStartX = at.x();
        FDragStartPosition = FPosition;
        FOutlineX = -1;
    }
    if (OnMouseDown) OnMouseDown(*this, event->button(), event->modifiers(), at.x(), at.y());
}

void TYTrackBar::mouseMoveEvent(QMouseEvent* event) {
    if (!FDragging) return;
    const QPoint at = event->position().toPoint();
    if (FOutlineX != -1) FOutlineX = FThumbX;
    const int64_t moved = int64_t(at.x() - FDragStartX) * (int64_t(FMax) - FMin);
    const int gage = FGageLength > 0 ? FGageLength : 1;
    int64_t position = FDragStartPosition + int64_t(double(moved) / gage);
    position = position < FMin ? FMin : position > FMax ? FMax : position;
    FPosition = int(position);
    if (FPosition != FDragStartPosition) {
        Paint();
        FPaintedDirectly = true;
        repaint();
        FPaintedDirectly = false;
    }
    if (OnMouseMove) OnMouseMove(*this, event->modifiers(), at.x(), at.y());
    if (OnChange) OnChange(*this);
}

void TYTrackBar::mouseReleaseEvent(QMouseEvent* event) {
    if (FDragging) {
        FDragging = false;
        update();
    }
    const QPoint at = event->position().toPoint();
    if (OnMouseUp) OnMouseUp(*this, event->button(), event->modifiers(), at.x(), at.y());
}
