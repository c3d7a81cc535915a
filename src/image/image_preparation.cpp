// From a loaded picture to the page that is sent: straight away, or through
// the preview the user confirms.
#include "app/app_state.h"
#include "app/main_window.h"
#include "image/bitmap.h"
#include "image/file_list_box.h"
#include "image/image_control.h"
#include "image/page_picture.h"
#include "image/threshold.h"
#include "platform/busy_cursor.h"

#include <QCheckBox>
#include <QFrame>
#include <QPushButton>
#include <QRadioButton>

bool TForm1::LoadSourceImage(const std::string& path) {
    TBusyCursor busy;
    auto picture = std::make_unique<TBitmap>();
    if (!LoadPagePicture(path, AppDir, *picture)) return false;
    SourcePicture = std::move(picture);
    return true;
}

void TForm1::HandleLoadedImage() {
    if (!CheckBox2->isChecked()) {
        ShowMainControls(true);
        if (PrepareImage(false, false, 0)) {
            SubmitSendFile();
            return;
        }
        ClearImages();
        ReportImageProcessFailed();
        return;
    }
    if (!PrepareImage(true, false, 0)) {
        ShowMainControls(true);
        ClearImages();
        ReportImageProcessFailed();
        return;
    }
    ShowPreviewLayout(true);
    Panel1->show();
    Btn6->setFocus();
    // A scanned page may follow a send of some other file; the list then
    // shows that file's folder, or stays empty when the folder is gone.
    if (!SendFilePath.empty()) FileListBox1->SetFileName(SendFilePath);
    ShowMainControls(false);
    Btn0->hide();
}

bool TForm1::PrepareImage(bool preview, bool threshold, int level) {
    if (!SourcePicture || SourcePicture->Empty()) return false;
    const int depth = SelectedPixelFormat();
    if (!preview) {
        // The page is made from a copy inside FitAndSaveImage; Image0 stays as it is.
        if (FitAndSaveImage(*SourcePicture, depth)) return true;
        ReportNoPicture();
        return false;
    }
    // The working copy holds the picture's own colours, whatever table a
    // stored picture came with, so the depth change below maps them afresh.
    const TBitmap& source = *SourcePicture;
    TBitmap work;
    if (threshold) {
        if (!ThresholdToTwoColors(source, work, clWhite, clBlack, std::uint8_t(level))) return false;
    } else if (source.PixelFormat() == pf24bit || source.PixelFormat() == pf32bit) {
        if (!work.TryAssign(source)) return false;
    } else {
        if (!work.TryReset(source.Width(), source.Height(), pf24bit)) return false;
        work.Draw(source);
    }
    TPixelFormat format;
    if (!PixelFormatOfDepth(depth, format) || !work.TrySetPixelFormat(format)) return false;
    Image1->SetPicture(std::move(work));
    return true;
}

bool TForm1::FitAndSaveImage(const TBitmap& bitmap, int depth) {
    TBusyCursor busy;
    if (!FitAndSavePicture(bitmap, depth, CheckBox1->isChecked(), TempImagePath)) return false;
    SendFilePath = TempImagePath;
    return true;
}

void TForm1::SendPreviewImage() {
    // What is sent is the preview as the user left it: trimmed, thresholded
    // or only reduced to the chosen depth.
    if (FitAndSaveImage(Image1->Picture(), SelectedPixelFormat())) {
        SubmitSendFile();
        return;
    }
    ClearImages();
    ReportNoPicture();
}

int TForm1::SelectedPixelFormat() const { return RBtn1->isChecked() ? 4 : RBtn2->isChecked() ? 8 : 24; }
