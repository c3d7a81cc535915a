// The image panel's handlers: opening and closing it, the quality check, and
// what the depth buttons, the slider, the trim cross and the file list do to
// the preview.
#include "app/app_state.h"
#include "app/main_window.h"
#include "image/file_list_box.h"
#include "image/image_control.h"
#include "image/page_picture.h"
#include "image/track_bar.h"
#include "image/trim.h"
#include "platform/message_box.h"
#include "send/send_route.h"

#include <QFrame>
#include <QPushButton>
#include <QScrollArea>

#include <algorithm>

namespace {

constexpr int TrimStepPixels = 10;

} // namespace

void TForm1::Btn5Click() {
    Panel1->show();
    Btn6->setFocus();
    Btn0->hide();
    ShowMainControls(false);
}

void TForm1::Btn6or7Click(QPushButton& button) {
    const bool cancel = button.objectName().endsWith(QLatin1Char('6'));
    if (ScrollBox1->isHidden()) {
        if (cancel)
            LoadSettings();
        else
            SaveSettings();
        CloseImagePanel();
        return;
    }
    if (cancel && Btn7->isHidden()) {
        // The quality check goes back to the settings it was opened from.
        ShowSettingsLayout();
        ClearImages();
        return;
    }
    ShowSettingsLayout();
    CloseImagePanel();
    CloseTwainManager();
    if (cancel)
        ClearImages();
    else
        SendPreviewImage();
}

void TForm1::CloseImagePanel() {
    ShowMainControls(true);
    Btn0->show();
    Btn0->setFocus();
    Panel1->hide();
}

void TForm1::Btn8Click() {
    OpenDialog1.Filter = "画像|*.bmp;*.jpg;*.jpeg";
    OpenDialog1.FilterIndex = 1;
    if (!OpenDialog1.Execute(this)) return;
    const std::string path = OpenDialog1.FileName;
    if (RouteForExtension(LowerExtension(path)) != srImage) return;
    if (!LoadSourceImage(path)) {
        ReportImageLoadFailed();
        return;
    }
    if (!PrepareImage(true, false, 0)) {
        ClearImages();
        ReportImageProcessFailed();
        return;
    }
    Btn6->setFocus();
    ShowPreviewLayout(false);
    FileListBox1->SetFileName(path);
}

void TForm1::FileListBox1Click() {
    if (!LoadSourceImage(FileListBox1->FileName())) {
        ReportImageLoadFailed();
        return;
    }
    if (!PrepareImage(true, false, 0)) ReportImageProcessFailed();
}

void TForm1::RBtnClick() {
    if (ScrollBox1->isHidden()) return;
    if (!PrepareImage(true, false, 0)) ReportImageProcessFailed();
}

void TForm1::YTBar0MouseUp() {
    const int level = std::clamp(YTBar0->Position(), 0, 255);
    if (!PrepareImage(true, true, level)) ReportImageProcessFailed();
}

void TForm1::TrimBtnClick(QPushButton& button) {
    // BtnT1 "→" and BtnT3 "←" push in the left and right edges, BtnT2 "↓"
    // and BtnT4 "↑" the top and bottom.
    const QChar which = button.objectName().back();
    const std::uint8_t vertical = which == QLatin1Char('2') || which == QLatin1Char('4');
    const std::uint8_t fromStart = which == QLatin1Char('1') || which == QLatin1Char('2');
    Image1->ChangePicture([&](TBitmap& picture) { TrimBitmapEdge(picture, vertical, fromStart, TrimStepPixels); });
}

void TForm1::ReportImageLoadFailed() { ShowMessage("画像読込失敗", "残念", mbOK); }

void TForm1::ReportImageProcessFailed() { ShowMessage("画像処理失敗", "残念", mbOK); }

void TForm1::ReportNoPicture() {
    ShowMessage("絵と呼べそうなものがまったく入っていないんじゃないかという気がする", "NG", mbOK);
}
