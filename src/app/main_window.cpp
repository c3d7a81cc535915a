#include "app/main_window.h"

#include "app/app_state.h"
#include "app/controls.h"
#include "app/window_drag.h"
#include "book/book_grid.h"
#include "book/destination_book.h"
#include "book/string_grid.h"
#include "image/bitmap.h"
#include "image/image_control.h"
#include "image/track_bar.h"
#include "send/history_windows.h"
#include "platform/busy_cursor.h"
#include "platform/system_info.h"

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>

TForm1::TForm1(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Pelmor"));
    SetWindowLook(this);
    setAutoFillBackground(false);
    setFixedSize(452, 383);
    move(212, 87);

    CreateControls();
    ConnectHandlers();
    BookGrid = StringGrid1;
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) child->installEventFilter(this);
}

TForm1::~TForm1() {
    Twain1.OnSourceDisable = nullptr;
    Twain1.OnTwainAcquire = nullptr;
    if (BookGrid == StringGrid1) BookGrid = nullptr;
}

void TForm1::ConnectHandlers() {
    connect(Btn0, &QPushButton::clicked, this, &TForm1::Btn0Click);
    connect(Btn1, &QPushButton::clicked, this, &TForm1::Btn1Click);
    connect(Btn2, &QPushButton::clicked, this, &TForm1::Btn2Click);
    connect(Btn3, &QPushButton::clicked, this, &TForm1::Btn3Click);
    connect(Btn4, &QPushButton::clicked, this, &TForm1::Btn4Click);
    connect(Btn5, &QPushButton::clicked, this, &TForm1::Btn5Click);
    connect(Edit1, &TEdit::DoubleClicked, this, &TForm1::Edit1DblClick);
    connect(Memo1, &TMemo::DoubleClicked, this, &TForm1::Memo1DblClick);
    connect(StringGrid1, &QTableWidget::cellClicked, this, [this](int row, int column) { StringGrid1Click(column, row); });
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    ConnectScanner();
}

void TForm1::FormCreate(const std::string& appDir) {
    ResetAppState();
    InitAppPaths(appDir);
    LoadSettings();
    bool bookReady = !appDir.empty() && (UpdateBook(baList) || CreateBook());
    if (!bookReady) {
        Label3->show();
        ShowMainControls(false);
    }
    DragActive = false;
    NormalWindowWidth = width();
    NormalPanelWidth = width();
    TWorkArea area = GetWorkArea();
    int workWidth = area.Right - area.Left;
    int workHeight = area.Bottom - area.Top;
    MaxLeft = workWidth - NormalWindowWidth;
    WideWindowMaxLeft = workWidth - 640;
    MaxTop = workHeight - height();
    YTBar0->hide();
    OpenSourceIndex = -1;
    TwainLoaded = false;
}

void TForm1::ShowMainControls(bool visible) {
    for (int i = 1; i <= 5; ++i)
        if (auto* button = findChild<QPushButton*>(QStringLiteral("Btn%1").arg(i))) button->setVisible(visible);
    for (int i = 0; i <= 2; ++i)
        if (auto* label = findChild<QLabel*>(QStringLiteral("Label%1").arg(i), Qt::FindDirectChildrenOnly))
            label->setVisible(visible);
    Edit1->setVisible(visible);
    Memo1->setVisible(visible);
    StringGrid1->setVisible(visible);
    ShowInboxOffer();
}

void TForm1::ClearImages() {
    if (!Image0->pixmap().isNull()) Image0->setPixmap(QPixmap());
    SourcePicture.reset();
    Image1->Clear();
}

void TForm1::CloseTwainManager() {
    if (!TwainLoaded) return;
    Twain1.SetSourceManagerLoaded(false);
    Twain1.SetLibraryLoaded(false);
    TwainLoaded = false;
}

TForm1::TScreen TForm1::CurrentScreen() const {
    if (Label3->isVisible()) return scFailure;
    return StringGrid1->isHidden() ? scDrop : scMain;
}

void TForm1::Btn0Click() {
    {
        TBusyCursor busy;
        CloseOpenSource();
        CloseTwainManager();
        switch (CurrentScreen()) {
        case scDrop:
            SetDropScreen(false);
            ShowMainControls(true);
            return;
        case scMain:
            // With a printed document offered, the button reads "Cancel" and throws it away.
            if (DiscardOfferedDocument()) return;
            EnumWindows(CloseHistoryWindows);
            if (!ConfirmAbandonTracking()) return;
            if (BookChanged) CompactBook(BookPath(), BookTempPath());
            SaveSettings();
            break;
        case scFailure:
            break;
        }
    }
    close();
}

void TForm1::Btn1Click() {
    Label0->setText(QString());
    SaveSettings();
}

void TForm1::Edit1DblClick() { Edit1->clear(); }

void TForm1::Memo1DblClick() { Memo1->clear(); }

void TForm1::mousePressEvent(QMouseEvent* event) {
    // Only the window's own surface starts a drag: a press that Qt passes up
    // from a control (a label ignores it) does not, nor one on the panel.
    if (event->button() == Qt::LeftButton && !childAt(event->position().toPoint())) {
        DragActive = true;
        Rubbing = true;
        LastRubPoint = event->position().toPoint();
    }
}

void TForm1::mouseMoveEvent(QMouseEvent* event) {
    QPoint at = event->position().toPoint();
    if (Rubbing) {
        EraseAlong(LastRubPoint, at);
        LastRubPoint = at;
    }
    if (!DragActive) return;
    TWindowPosition target = DragTarget(x(), y(), width(), height(), at.x(), at.y(), MaxLeft, MaxTop);
    move(target.Left, y());
    move(x(), target.Top);
    LastRubPoint = mapFromGlobal(event->globalPosition().toPoint());
}

void TForm1::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        DragActive = false;
        Rubbing = false;
    }
}

void TForm1::mouseDoubleClickEvent(QMouseEvent*) {
    DragActive = false;
    Rubbing = false;
}

void TForm1::FilesDropped(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    SendFilePath = paths.front();
    DispatchSendFile();
}
