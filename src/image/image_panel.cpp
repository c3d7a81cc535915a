// The image settings panel in its settings layout, and the picture route:
// a dropped picture is loaded, turned upright, fitted to the page at the
// chosen depth and sent. (The confirming preview is not part of the window
// yet; a picture is sent at once.)
#include "app/app_state.h"
#include "app/main_window.h"
#include "image/bitmap.h"
#include "image/page_picture.h"
#include "platform/busy_cursor.h"
#include "platform/message_box.h"

#include <QCheckBox>
#include <QRadioButton>

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

bool TForm1::LoadSourceImage(const std::string& path) {
    TBusyCursor busy;
    auto picture = std::make_unique<TBitmap>();
    if (!LoadPagePicture(path, AppDir, *picture)) return false;
    SourcePicture = std::move(picture);
    return true;
}

void TForm1::HandleLoadedImage() {
    ShowMainControls(true);
    if (SourcePicture && FitAndSaveImage(*SourcePicture, SelectedPixelFormat())) {
        SubmitSendFile();
        return;
    }
    ClearImages();
    ReportImageProcessFailed();
}

bool TForm1::FitAndSaveImage(const TBitmap& bitmap, int depth) {
    bool saved = false;
    {
        TBusyCursor busy;
        saved = FitAndSavePicture(bitmap, depth, CheckBox1->isChecked(), TempImagePath);
    }
    if (!saved) {
        ReportNoPicture();
        return false;
    }
    SendFilePath = TempImagePath;
    return true;
}

int TForm1::SelectedPixelFormat() const { return RBtn1->isChecked() ? 4 : RBtn2->isChecked() ? 8 : 24; }

void TForm1::ReportImageLoadFailed() { ShowMessage("画像読込失敗", "残念", mbOK); }

void TForm1::ReportImageProcessFailed() { ShowMessage("画像処理失敗", "残念", mbOK); }

void TForm1::ReportNoPicture() {
    ShowMessage("絵と呼べそうなものがまったく入っていないんじゃないかという気がする", "NG", mbOK);
}
