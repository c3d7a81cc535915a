// The image settings panel in its settings layout, and the picture route's
// entry points. Pictures are refused as unreadable until the picture
// preparation is in place.
#include "app/main_window.h"
#include "platform/message_box.h"

#include <QFrame>
#include <QPushButton>

void TForm1::Btn5Click() {
    Panel1->show();
    if (auto* btn6 = Panel1->findChild<QPushButton*>(QStringLiteral("Btn6"))) btn6->setFocus();
    Btn0->hide();
    ShowMainControls(false);
}

void TForm1::Btn6or7Click(QPushButton& button) {
    if (button.objectName().endsWith(QLatin1Char('6')))
        LoadSettings();
    else
        SaveSettings();
    CloseImagePanel();
}

void TForm1::CloseImagePanel() {
    ShowMainControls(true);
    Btn0->show();
    Btn0->setFocus();
    Panel1->hide();
}

bool TForm1::LoadSourceImage(const std::string&) { return false; }

void TForm1::HandleLoadedImage() {}

void TForm1::ReportImageLoadFailed() { ShowMessage("画像読込失敗", "残念", mbOK); }
