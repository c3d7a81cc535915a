// The main window's scanner side: choosing a source on the drop screen scans
// one page without the source's own interface; the page arrives later in
// Twain1TwainAcquire and goes the way of a dropped picture.
#include "app/main_window.h"

#include "image/bitmap.h"
#include "platform/busy_cursor.h"
#include "platform/system_info.h"
#include "twain/twain_source.h"

#include <QListWidget>

void TForm1::ConnectScanner() {
    connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    Twain1.OnTwainAcquire = [this](void* sender, int index, TBitmap& image, bool& cancel) {
        Twain1TwainAcquire(sender, index, image, cancel);
    };
    // Whichever way the scan ends (a page, a failure, the quit), the source
    // is disabled; the busy cursor of the scan goes with it.
    Twain1.OnSourceDisable = [this](void*, int) { EndScanCursor(); };
}

void TForm1::CloseOpenSource() {
    if (OpenSourceIndex == -1) return;
    if (TTwainSource* source = Twain1.SourceAt(OpenSourceIndex)) {
        source->SetSourceEnabled(false);
        source->SetOpened(false);
    }
    OpenSourceIndex = -1;
}

void TForm1::ListBox1Click() {
    if (ListBox1->currentRow() < 0) return;
    TBusyCursor busy;
    if (OpenSourceIndex != -1) {
        CloseOpenSource();
        Sleep(1000);
    }
    std::string name = ListBox1->currentItem()->text().toStdString();
    if (!TwainLoaded && Twain1.OpenLibrary()) {
        Twain1.SetSourceManagerLoaded(true);
        TwainLoaded = true;
    }
    for (int i = 0; i < Twain1.SourceCount(); ++i) {
        TTwainSource* source = Twain1.SourceAt(i);
        if (source->ProductName() != name) continue;
        source->SetOpened(true);
        source->ShowInterface = false;
        source->TransferMode = ttmMemory;
        source->SetSourceEnabled(true);
        OpenSourceIndex = i;
        if (source->SourceEnabled() && !ScanCursor) {
            ScanCursor = true;
            SetBusyCursor(true);
        }
        break;
    }
}

void TForm1::EndScanCursor() {
    if (!ScanCursor) return;
    ScanCursor = false;
    SetBusyCursor(false);
}

void TForm1::Twain1TwainAcquire(void*, int, TBitmap& image, bool& cancel) {
    SourcePicture = std::make_unique<TBitmap>(image);
    cancel = true;
    CloseOpenSource();
    EndScanCursor();
    SetDropScreen(false);
    HandleLoadedImage();
}
