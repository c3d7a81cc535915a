#include "platform/qt_platform.h"

#include "platform/busy_cursor.h"
#include "platform/message_box.h"
#include "platform/system_info.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace {

TMessageResult ShowQtMessageBox(const std::string& text, const std::string& caption, TMessageButtons buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    box.setTextFormat(Qt::PlainText);
    if (buttons == mbYesNo) {
        QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.exec();
        return box.clickedButton() == yes ? mrYes : mrNo;
    }
    box.addButton(QMessageBox::Ok);
    box.exec();
    return mrOK;
}

} // namespace

void InstallQtPlatform() {
    MessageBoxSeam.Replace(ShowQtMessageBox);
    BusyCursorSeam.Replace([](bool busy) {
        if (busy)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else if (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    });
    WorkAreaSeam.Replace([] {
        TWorkArea area;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect r = screen->availableGeometry();
            area = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
        }
        return area;
    });
}
