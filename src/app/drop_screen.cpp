// The drop screen: the prompt drawn on the window surface, the scanner list,
// and the files dropped on the window. The drawn texts belong to no control:
// whatever is rubbed with the pointer or covered by a shown control is gone.
#include "app/main_window.h"

#include "app/app_state.h"

#include "platform/busy_cursor.h"
#include "twain/twain_source.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>

namespace {
constexpr int RubRadius = 6;
}

void TForm1::SetDropScreen(bool on) {
    if (!on) {
        ListBox1->hide();
        Btn0->move(Btn0->x(), 120);
        Btn0->setText(QStringLiteral("終了"));
        setAcceptDrops(false);
        return;
    }
    ListBox1->clear();
    SetBusyCursor(true);
    bool sourcesListed = false;
    if (Twain1.OpenLibrary()) {
        Twain1.SetSourceManagerLoaded(true);
        for (int i = 0; i < Twain1.SourceCount(); ++i)
            ListBox1->addItem(QString::fromStdString(Twain1.SourceAt(i)->ProductName()));
        sourcesListed = Twain1.SourceCount() > 0;
        Twain1.SetSourceManagerLoaded(false);
        Twain1.SetLibraryLoaded(false);
    }
    Btn0->move(Btn0->x(), 8);
    Btn0->setText(QStringLiteral("Cancel"));
    Btn0->setFocus();

    DrawnLayer = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    DrawnLayer.fill(Qt::transparent);
    DrawText(110, 40, QStringLiteral("送信したいファイルをここにDragDrop"));
    DrawText(110, 70, QString::fromStdString(DestName));
    DrawText(110, 100, QString::fromStdString(DestNumber));
    DrawText(110, 135, QStringLiteral("ここに出ている文字は、こすると消える。"));
    DrawText(90, 150, QStringLiteral("消えた結果、何がどうなるとかいうわけじゃない。"));
    DrawText(90, 165, QStringLiteral("単なるこちらの手抜きで消えやすく出来ているだけ。"));
    DrawText(90, 180, QStringLiteral("消えて困るぐらいだったらそんな手抜きはしない。"));
    if (sourcesListed) {
        ListBox1->show();
        DrawText(160, 245, QStringLiteral("DragDropだけじゃなく"));
        DrawText(130, 260, QStringLiteral("もしかしたら画像取り込みも可能かも"));
        DrawText(135, 275, QStringLiteral("(機種による ↓ ダメだったらごめん)"));
        DrawText(90, 355, QStringLiteral("注)Scannerを試す場合は原稿と電源ONを確認してから"));
    }
    EraseDrawn(Btn0->geometry());
    update();
    SetBusyCursor(false);
    setAcceptDrops(true);
}

void TForm1::DrawText(int x, int y, const QString& text) {
    QPainter painter(&DrawnLayer);
    painter.setFont(font());
    painter.setPen(Qt::black);
    painter.drawText(QRect(x, y, width() - x, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

void TForm1::EraseDrawn(const QRect& area) {
    if (DrawnLayer.isNull() || area.isEmpty()) return;
    QPainter painter(&DrawnLayer);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.fillRect(area, Qt::transparent);
    update(area);
}

void TForm1::EraseAlong(const QPoint& from, const QPoint& to) {
    if (DrawnLayer.isNull()) return;
    QPainter painter(&DrawnLayer);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setPen(QPen(Qt::transparent, RubRadius * 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, to);
    update(QRect(from, to).normalized().adjusted(-RubRadius, -RubRadius, RubRadius, RubRadius));
}

void TForm1::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    if (!DrawnLayer.isNull()) painter.drawImage(event->rect(), DrawnLayer, event->rect());
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // A control shown over the drawn texts covers them for good.
    if (event->type() == QEvent::Show || event->type() == QEvent::Move || event->type() == QEvent::Resize) {
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->isVisible())
            EraseDrawn(widget->geometry());
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

std::vector<std::string> TForm1::DroppedPaths(const QMimeData& data) {
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    return paths;
}

void TForm1::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths = DroppedPaths(*event->mimeData());
    if (paths.empty()) return;
    event->acceptProposedAction();
    FilesDropped(paths);
}
