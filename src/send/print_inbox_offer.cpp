// Documents printed to the fax printer: the window comes to the front when
// one arrives and offers the first waiting one above the destination list.
// Choosing a destination sends it as a dropped file would be sent; "Cancel"
// throws it away.
#include "app/main_window.h"

#include "app/app_state.h"
#include "book/string_grid.h"
#include "send/folder_watch.h"
#include "send/print_inbox.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSocketNotifier>

namespace {

constexpr int OfferedButtonTop = 8;
constexpr int QuitButtonTop = 120;
constexpr int InboxLabelLeft = 132;

} // namespace

void TForm1::StartPrintInbox(const std::string& folder) {
    InboxLabel = new QLabel(this);
    InboxLabel->setObjectName(QStringLiteral("InboxLabel"));
    InboxLabel->setGeometry(InboxLabelLeft, 2, Btn0->x() - InboxLabelLeft - 4, 36);
    InboxLabel->setWordWrap(true);
    InboxLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    InboxLabel->setStyleSheet(QStringLiteral("color: white; background-color: navy; padding-left: 3px;"));
    InboxLabel->hide();

    PrintInbox = std::make_unique<TPrintInbox>(folder);
    if (PrintInbox->Prepare()) {
        InboxWatch = std::make_unique<TFolderWatch>(folder);
        if (InboxWatch->IsWatching()) {
            InboxNotifier = new QSocketNotifier(InboxWatch->Handle(), QSocketNotifier::Read, this);
            connect(InboxNotifier, &QSocketNotifier::activated, this, &TForm1::PrintInboxChanged);
        }
    }
    // What was printed while we were not running waits as well.
    PrintInbox->Refresh();
    ShowInboxOffer();
}

void TForm1::PrintInboxChanged() {
    InboxWatch->TakeChanges();
    size_t arrived = PrintInbox->Refresh();
    ShowInboxOffer();
    if (arrived == 0) return;
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void TForm1::ShowInboxOffer() {
    if (!InboxLabel) return;
    // Hidden flags, not visibility: at start the window is not shown yet.
    bool mainScreen = !StringGrid1->isHidden() && Label3->isHidden() && Panel1->isHidden();
    bool offer = PrintInbox && PrintInbox->HasWaiting() && mainScreen;
    if (offer) {
        // The title takes what room the first line leaves.
        QString head = QStringLiteral("印刷で届いた「");
        QString tail = QStringLiteral("」");
        if (size_t more = PrintInbox->Waiting().size() - 1) tail += QStringLiteral(" 他%1件").arg(more);
        const QFontMetrics metrics = InboxLabel->fontMetrics();
        int room = InboxLabel->contentsRect().width() - metrics.horizontalAdvance(head + tail) - 8;
        QString title = metrics.elidedText(QString::fromStdString(PrintInbox->Offered().Title), Qt::ElideMiddle, room);
        QString text = head + title + tail + QStringLiteral("\n送り先を選べば送信。Cancelで破棄");
        InboxLabel->setText(text);
        InboxLabel->show();
        Btn0->move(Btn0->x(), OfferedButtonTop);
        Btn0->setText(QStringLiteral("Cancel"));
    } else {
        InboxLabel->hide();
        // On the main screen only an offer makes the button read "Cancel".
        if (mainScreen && Btn0->text() == QStringLiteral("Cancel")) {
            Btn0->move(Btn0->x(), QuitButtonTop);
            Btn0->setText(QStringLiteral("終了"));
        }
    }
    InboxOffered = offer;
}

bool TForm1::SendWaitingDocument() {
    if (!PrintInbox || !PrintInbox->HasWaiting()) return false;
    std::string path = PrintInbox->Offered().Path;
    SendFilePath = path;
    LastSubmitOk = false;
    DispatchSendFile();
    // The fax service keeps its own copy once it took the job; a refused job stays waiting.
    if (LastSubmitOk) PrintInbox->Remove(path);
    ShowInboxOffer();
    return true;
}

bool TForm1::DiscardOfferedDocument() {
    if (!InboxOffered) return false;
    PrintInbox->Remove(PrintInbox->Offered().Path);
    ShowInboxOffer();
    return true;
}
