#include "job_endings.h"

#include "transmission_report.h"

#include <QProcess>

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

TJobEndings::TJobEndings(TJobStore& store, bool notify, TDesktopNotifier::TResend resend, std::string jobWindow,
                         QStringList jobWindowArgs)
    : Store(store)
{
    if (!notify)
        return;
    Notifier = std::make_unique<TDesktopNotifier>(
        std::move(resend), [program = QString::fromStdString(jobWindow), args = std::move(jobWindowArgs)] {
            QProcess::startDetached(program, args);
        });
    Notifier->moveToThread(&Thread);
    Thread.start();
}

TJobEndings::~TJobEndings()
{
    Thread.quit();
    Thread.wait();
}

void TJobEndings::Ending(const TFaxJob& job)
{
    std::error_code ec;
    std::string fax = Store.FaxPath(job.Id);
    if (!fs::exists(fax, ec) && job.State == jsDone)
        fax = Store.SentItemsDir() + "/" + job.Id + ".tif";
    std::string error;
    if (!WriteTransmissionReport(job, fax, Store.ReportPath(job.Id), error))
        std::fprintf(stderr, "pelmor-faxd: job %s: %s\n", job.Id.c_str(), error.c_str());
}

void TJobEndings::Ended(const TFaxJob& job)
{
    if (Notifier)
        Notifier->Announce(job);
}

std::string JobWindowProgram(const std::string& selfProgram)
{
    std::error_code ec;
    fs::path beside = fs::path(selfProgram).parent_path() / "pelmor-jobs";
    if (fs::exists(beside, ec))
        return beside.string();
    return "pelmor-jobs";
}
