#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>

// A flat horizontal slider: a gauge and a thumb dragged along it to pick a
// whole number between Min and Max. It takes no keyboard focus. While the
// thumb is dragged only its outline moves, drawn by inverting the pixels under
// it; the solid thumb is drawn again where the drag ends.
class TYTrackBar : public QWidget {
    Q_OBJECT
public:
    explicit TYTrackBar(QWidget* parent = nullptr);

    int Max() const { return FMax; }
    // Taken only when it differs and stays above Min.
    void SetMax(int value);
    int Min() const { return FMin; }
    // Taken only when it differs and stays below Max.
    void SetMin(int value);
    QColor ThumbColor() const { return FThumbColor; }
    void SetThumbColor(const QColor& color) { FThumbColor = color; }
    int ThumbWidth() const { return FThumbWidth; }
    // Taken only when it differs and is at least 2; the side margins follow it.
    void SetThumbWidth(int value);
    QColor GageColor() const { return FGageColor; }
    void SetGageColor(const QColor& color) { FGageColor = color; }
    int Position() const { return FPosition; }
    // Clamped to Min..Max. Never fires OnChange.
    void SetPosition(int value);

    int LeftMargin() const { return FLeftMargin; }
    int RightMargin() const { return FRightMargin; }

    using TNotifyEvent = std::function<void(TYTrackBar& sender)>;
    using TMouseEvent = std::function<void(TYTrackBar& sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                                           int x, int y)>;
    using TMouseMoveEvent = std::function<void(TYTrackBar& sender, Qt::KeyboardModifiers shift, int x, int y)>;
    // Fired on every move of a drag, also one that leaves the value as it was.
    TNotifyEvent OnChange;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // The control's area as last painted.
    const QImage& Surface() const { return FSurface; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Paints the gauge and the thumb (or, during a drag, its moving outline)
    // over what the surface holds.
    void Paint();
    void InvertFrame(int left, int right);

    int FMax = 100;
    int FMin = 0;
    QColor FThumbColor;
    int FThumbWidth = 10;
    QColor FGageColor = QColor(255, 255, 255);
    int FPosition = 0;

    int FLeftMargin = 4;
    int FRightMargin = 4;
    int FTopMargin = 8;
    int FBottomMargin = 10;
    int FGageLength = 0;
    int FThumbX = 0;
    bool FDragging = false;
    int FDragStartX = 0;
    int FDragStartPosition = 0;
    int FOutlineX = -1;

    QImage FSurface;
    bool FPaintedDirectly = false;
};
