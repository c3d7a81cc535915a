#include "jobs_window.h"

void TJobsWindow::Arrange() {
    setObjectName(QStringLiteral("TJobsWindow"));
    setWindowTitle(QStringLiteral("Pelmor FAX"));
    addTab(Jobs, QStringLiteral("送信"));
    addTab(Inbox, QStringLiteral("受信"));
    resize(qMax(Jobs->width(), 720), qMax(Jobs->height(), 480));
}

void TJobsWindow::FormCreate(const QString& faxId) {
    Jobs->FormCreate();
    if (!Inbox->Refresh() || faxId.isEmpty()) return;
    setCurrentWidget(Inbox);
    Inbox->OpenFax(faxId);
}
