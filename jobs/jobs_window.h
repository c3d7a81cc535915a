#pragma once

#include "inbox_form.h"
#include "job_form.h"

#include <QTabWidget>

// pelmor-jobs' window: the jobs sent (送信) and the faxes received (受信),
// each on a page of its own, from one client of the fax service.
class TJobsWindow : public QTabWidget {
    Q_OBJECT
public:
    template <typename TClient>
    explicit TJobsWindow(TClient& client, QWidget* parent = nullptr)
        : QTabWidget(parent), Jobs(new TJobForm(client)), Inbox(new TInboxForm(client)) {
        Arrange();
    }

    // Connects and lists both; with a fax id, shows that fax in the viewer.
    void FormCreate(const QString& faxId = {});

    TJobForm* Jobs;
    TInboxForm* Inbox;

private:
    void Arrange();
};
