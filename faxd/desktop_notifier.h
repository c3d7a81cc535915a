#pragma once

#include "fax_job.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

#include <functional>
#include <map>
#include <string>

// Tells the user on the desktop how each job ended: a freedesktop
// notification ("FAX送信完了" or "FAX送信失敗") on the session bus. A failed
// job's notification offers "再送", which sends it again; clicking a
// notification opens the job window. Without a session bus or a
// notification server it stays silent.
//
// Lives in a thread with an event loop (the bus's signals arrive there);
// Announce may be called from any thread.
class TDesktopNotifier : public QObject {
    Q_OBJECT
public:
    using TResend = std::function<bool(const std::string& id, std::string& newId, std::string& error)>;
    using TOpenJobWindow = std::function<void()>;

    TDesktopNotifier(TResend resend, TOpenJobWindow openJobWindow);

    // Queues the notification of a job that has ended (cancelled jobs, which
    // the user ended, are not announced).
    void Announce(const TFaxJob& job);

    // The summary and body shown for a job.
    static QString Summary(const TFaxJob& job);
    static QString Body(const TFaxJob& job, bool markup);

private slots:
    void Show(const QString& jobId, const QString& summary, const QString& body, bool failed);
    void OnActionInvoked(uint notificationId, const QString& action);
    void OnClosed(uint notificationId, uint reason);

private:
    void Attach();

    TResend Resend;
    TOpenJobWindow OpenJobWindow;
    bool Attached = false;
    bool Markup = false;
    std::map<uint, std::string> Shown; // notification id -> job id
};
