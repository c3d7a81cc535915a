#pragma once

#include "desktop_notifier.h"
#include "job_store.h"

#include <QThread>

#include <memory>
#include <string>

// What the service does as each job ends: it writes the job's transmission
// report to Reports/<id>.pdf, and (unless switched off) shows a desktop
// notification, from a thread of its own so that a slow session bus never
// holds the jobs up.
class TJobEndings {
public:
    // openJobWindow: what a click on a notification does.
    TJobEndings(TJobStore& store, bool notify, TDesktopNotifier::TResend resend,
                TDesktopNotifier::TOpenJobWindow openJobWindow);
    ~TJobEndings();
    TJobEndings(const TJobEndings&) = delete;
    TJobEndings& operator=(const TJobEndings&) = delete;

    // Before the job is filed (its fax still in the spool): the report.
    void Ending(const TFaxJob& job);
    // Once it is filed: the notification.
    void Ended(const TFaxJob& job);

private:
    TJobStore& Store;
    QThread Thread;
    std::unique_ptr<TDesktopNotifier> Notifier;
};

// Starts the job window, pelmor-jobs beside this program (else from PATH),
// on the desktop: with desktopPlatform as its QT_QPA_PLATFORM (unset when
// empty), whatever this process uses.
void StartJobWindow(const std::string& selfProgram, const QStringList& args, const QByteArray& desktopPlatform);
