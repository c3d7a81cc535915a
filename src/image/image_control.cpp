#include "image/image_control.h"

#include "image/pixel_rows.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

#include <vector>

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::SetPicture(TBitmap&& picture) {
    FPicture = std::move(picture);
    PictureChanged();
}

void TImage::Clear() {
    if (FPicture.Empty()) return;
    FPicture = TBitmap();
    PictureChanged();
}

void TImage::PictureChanged() {
    if (!FPicture.Empty()) resize(FPicture.Width(), FPicture.Height());
    update();
}

void TImage::paintEvent(QPaintEvent* event) {
    // Only the part asked for is turned into screen pixels, so that a page
    // of millions of pixels costs no more to show than the view's own size.
    const QRect area = event->rect() & QRect(0, 0, FPicture.Width(), FPicture.Height());
    if (area.isEmpty()) return;
    QImage shown(area.size(), QImage::Format_RGB32);
    std::vector<std::uint8_t> bgr(std::size_t(area.width()) * 3);
    for (int y = 0; y < area.height(); ++y) {
        ReadRowBgr(FPicture, area.top() + y, area.left(), area.width(), bgr.data());
        auto* out = reinterpret_cast<QRgb*>(shown.scanLine(y));
        for (int x = 0; x < area.width(); ++x) out[x] = qRgb(bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x]);
    }
    QPainter painter(this);
    painter.drawImage(area.topLeft(), shown);
}
