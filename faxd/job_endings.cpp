#include "job_endings.h"

#include "transmission_report.h"

#include <QProcess>

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

TJobEndings::TJobEndings(TJobStore& store, bool notify, TDesktopNotifier::TResend resend,
                         TDesktopNotifier::TOpenJobWindow openJobWindow)
    : Store(store)
{
    if (!notify)
        return;
    Notifier = std::make_unique<TDesktopNotifier>(std::move(resend), std::move(openJobWindow));
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

void StartJobWindow(const std::string& selfProgram, const QStringList& args, const QByteArray& desktopPlatform)
{
    std::error_code ec;
    fs::path beside = fs::path(selfProgram).parent_path() / "pelmor-jobs";
    QProcess window;
    window.setProgram(fs::exists(beside, ec) ? QString::fromStdString(beside.string()) : QStringLiteral("pelmor-jobs"));
    window.setArguments(args);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (desktopPlatform.isEmpty())
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    else
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLocal8Bit(desktopPlatform));
    window.setProcessEnvironment(environment);
    window.setStandardInputFile(QProcess::nullDevice());
    window.setStandardOutputFile(QProcess::nullDevice());
    window.setStandardErrorFile(QProcess::nullDevice());
    if (!window.startDetached())
        std::fprintf(stderr, "pelmor-faxd: cannot start the job window %s\n", qPrintable(window.program()));
}
