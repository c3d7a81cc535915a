#include "job_runner.h"

#include "durable/durable_file.h"
#include "kill_point.h"
#include "render_process.h"

#include <cerrno>
#include <filesystem>

using TClock = std::chrono::steady_clock;

TJobRunner::TJobRunner(TJobStore& store, TFaxLine& line, std::string program, TOfficePrinter::TSettings office)
    : Store(store), Line(line), Program(std::move(program)), Office(std::move(office))
{
}

TJobRunner::~TJobRunner() { Stop(); }

void TJobRunner::Start()
{
    Stopping = false;
    Thread = std::thread([this] { Run(); });
}

void TJobRunner::Stop()
{
    {
        std::lock_guard lock(Guard);
        Stopping = true;
        AbortCurrent = true;
    }
    Signal.notify_all();
    if (Thread.joinable())
        Thread.join();
}

void TJobRunner::Wake()
{
    {
        std::lock_guard lock(Guard);
        Woken = true;
    }
    Signal.notify_all();
}

bool TJobRunner::Cancel(const std::string& id, std::string& error)
{
    TFaxJob job;
    if (!Store.FindJob(id, job)) {
        error = "no such job";
        return false;
    }
    if (IsFinalState(job.State)) {
        error = "the job has ended";
        return false;
    }
    bool atHand;
    {
        std::lock_guard lock(Guard);
        CancelRequests.insert(id);
        atHand = CurrentId == id;
        if (atHand)
            AbortCurrent = true;
        else
            Taken.insert(id);
    }
    // A job that waits, with nothing on a line yet, ends here and now
    // instead of after the job at hand; the job thread leaves it alone
    // meanwhile.
    if (!atHand && Store.FindJob(id, job) && (job.State == jsQueued || job.State == jsRendered)) {
        job.State = jsCancelling;
        job.Error = job.Status = "cancelled";
        job.Rendering = false;
        std::string ignored; // when filing fails, the job thread files it later
        if (Store.Save(job))
            File(job, ignored);
    }
    {
        std::lock_guard lock(Guard);
        Taken.erase(id);
        Woken = true;
    }
    Signal.notify_all();
    return true;
}

bool TJobRunner::CancelRequested(const std::string& id)
{
    std::lock_guard lock(Guard);
    return CancelRequests.count(id) > 0;
}

bool TJobRunner::Begin(const std::string& id)
{
    {
        std::lock_guard lock(Guard);
        if (Taken.count(id))
            return false;
        CurrentId = id;
        AbortCurrent = Stopping.load() || CancelRequests.count(id) > 0;
    }
    // The list this job came from may be older than a cancel that filed it.
    TFaxJob now;
    return Store.FindJob(id, now) && !IsFinalState(now.State);
}

void TJobRunner::Run()
{
    while (!Stopping) {
        // The first job with work to do now; otherwise the nearest poll.
        TClock::time_point wakeAt = TClock::now() + std::chrono::hours(1);
        bool worked = false;
        for (TFaxJob& job : Store.ActiveJobs()) {
            auto due = NextPoll.find(job.Id);
            if (due != NextPoll.end() && due->second > TClock::now() && !CancelRequested(job.Id)) {
                wakeAt = std::min(wakeAt, due->second);
                continue;
            }
            Step(job);
            worked = true;
            break;
        }
        if (worked)
            continue;
        std::unique_lock lock(Guard);
        Signal.wait_until(lock, wakeAt, [this] { return Stopping.load() || Woken; });
        Woken = false;
    }
    // The office renderer is this thread's child: it ends here, not later.
    Office.Stop();
}

void TJobRunner::Step(TFaxJob& job)
{
    if (!Begin(job.Id))
        return;
    if (CancelRequested(job.Id) && job.State != jsSent && job.State != jsFailing && job.State != jsCancelling) {
        MarkCancelling(job);
        return;
    }
    switch (job.State) {
    case jsQueued:
        Render(job);
        break;
    case jsRendered:
        Transmit(job);
        break;
    case jsHanding: {
        // Killed while handing over: the line may know the job already.
        TLineStatus status = Line.Recover(LineJob(job));
        if (status.State == lsPending)
            Transmit(job);
        else
            Apply(job, status);
        break;
    }
    case jsHanded:
        Poll(job);
        break;
    case jsSent:
    case jsFailing:
        FileJob(job);
        break;
    case jsCancelling:
        StopOnLine(job);
        break;
    case jsDone:
    case jsFailed:
    case jsCancelled:
        break;
    }
}

void TJobRunner::MarkCancelling(TFaxJob& job)
{
    job.State = jsCancelling;
    job.Error = "cancelled";
    job.Status = "cancelled";
    job.Rendering = false;
    NextPoll.erase(job.Id);
    if (!Store.Save(job))
        Later(job);
}

void TJobRunner::StopOnLine(TFaxJob& job)
{
    // A job killed while handing over may be known to the line already.
    if (job.RemoteId.empty()) {
        TLineStatus known = Line.Recover(LineJob(job));
        job.RemoteId = known.RemoteId;
    }
    if (!job.RemoteId.empty()) {
        TLineStatus status = Line.Cancel(LineJob(job));
        if (status.State == lsRunning) {
            job.Status = status.Text;
            Store.Show(job);
            NextPoll[job.Id] = TClock::now() + Line.PollInterval();
            return;
        }
        if (status.State == lsDone) {
            // Too late: the fax went out, and is filed as sent.
            job.Error.clear();
            Apply(job, status);
            return;
        }
    }
    std::error_code ignored;
    std::filesystem::remove(Store.PartPath(job.Id), ignored);
    FileJob(job);
}

void TJobRunner::Render(TFaxJob& job)
{
    job.Rendering = true;
    Store.Show(job);
    auto started = TClock::now();
    int pages = 0;
    std::string error;
    bool temporary = false;
    bool ok = RenderBodyOf(job, pages, error, temporary);
    job.Rendering = false;
    if (Stopping) {
        Store.Show(job);
        return;
    }
    if (CancelRequested(job.Id)) {
        MarkCancelling(job);
        return;
    }
    job.RenderSeconds = std::chrono::duration<double>(TClock::now() - started).count();
    if (ok && !RenameDurably(Store.PartPath(job.Id), Store.FaxPath(job.Id))) {
        ok = false;
        temporary = IsDiskTrouble(errno);
        error = "cannot keep the rendered fax";
    }
    if (!ok && temporary) {
        // A full or failing disk is no fault of the fax: render it again later.
        job.Status = "waiting for disk space: " + error;
        Store.Show(job);
        Later(job);
        return;
    }
    KillPoint("rendered");
    if (ok) {
        job.Pages = pages;
        job.State = jsRendered;
    } else {
        job.State = jsFailing;
        job.Error = error;
    }
    if (!Store.Save(job))
        Later(job);
}

bool TJobRunner::RenderBodyOf(const TFaxJob& job, int& pages, std::string& error, bool& temporary)
{
    if (!IsOfficeBody(job.BodyType))
        return RenderInChildProcess(Program, job.BodyType, Store.BodyPath(job.Id), Store.PartPath(job.Id), pages,
                                    error, &AbortCurrent, &temporary);
    // Printed by LibreOffice first, then rendered like any PDF.
    std::string pdf = Store.SpoolDir() + "/" + job.Id + ".pdf.tmp";
    bool ok = Office.Print(job.BodyType, Store.BodyPath(job.Id), pdf, error, &AbortCurrent)
        && RenderInChildProcess(Program, btPdf, pdf, Store.PartPath(job.Id), pages, error, &AbortCurrent, &temporary);
    std::remove(pdf.c_str());
    return ok;
}

TLineJob TJobRunner::LineJob(const TFaxJob& job) const
{
    TLineJob lineJob;
    lineJob.Id = job.Id;
    lineJob.Number = job.Number;
    lineJob.TiffPath = Store.FaxPath(job.Id);
    lineJob.Pages = job.Pages;
    lineJob.RemoteId = job.RemoteId;
    lineJob.WorkDir = Store.SpoolDir();
    lineJob.ReceivedDir = Store.ReceivedDir();
    lineJob.Abort = &AbortCurrent;
    return lineJob;
}

void TJobRunner::Transmit(TFaxJob& job)
{
    job.State = jsHanding;
    job.Line = Line.Name();
    job.Simulated = Line.Simulated();
    job.Status = "sending";
    NextPoll.erase(job.Id);
    if (!Store.Save(job)) {
        Later(job);
        return;
    }
    KillPoint("transmitting");
    auto started = TClock::now();
    TLineStatus status = Line.Send(LineJob(job));
    job.WallSeconds = std::chrono::duration<double>(TClock::now() - started).count();
    if (status.State == lsAborted) {
        // Cancelled: filed as such. Stopping: the record still says the
        // hand-over began, and the next start sends it again.
        if (CancelRequested(job.Id))
            MarkCancelling(job);
        return;
    }
    KillPoint("transmitted");
    Apply(job, status);
}

void TJobRunner::Poll(TFaxJob& job)
{
    TLineStatus status = Line.Poll(LineJob(job));
    Apply(job, status);
}

void TJobRunner::Apply(TFaxJob& job, const TLineStatus& status)
{
    if (!status.RemoteId.empty())
        job.RemoteId = status.RemoteId;
    if (!status.Text.empty())
        job.Status = status.Text;
    if (status.Pages > 0)
        job.Pages = status.Pages;
    if (status.BitRate > 0)
        job.BitRate = status.BitRate;
    if (!status.Media.empty())
        job.Media = status.Media;
    if (status.LineSeconds > 0)
        job.LineSeconds = status.LineSeconds;
    if (!status.StationId.empty())
        job.StationId = status.StationId;
    switch (status.State) {
    case lsDone:
        job.State = jsSent;
        break;
    case lsFailed:
        job.State = jsFailing;
        job.Error = status.Text.empty() ? "the line failed" : status.Text;
        break;
    case lsRunning:
    case lsPending:
    case lsAborted:
        job.State = job.RemoteId.empty() ? jsRendered : jsHanded;
        NextPoll[job.Id] = TClock::now() + Line.PollInterval();
        break;
    }
    if (!Store.Save(job))
        Later(job);
    else if (job.State == jsSent || job.State == jsFailing)
        NextPoll.erase(job.Id);
}

bool TJobRunner::File(TFaxJob& job, std::string& error)
{
    if (job.Finished.empty())
        job.Finished = LocalTimeNow();
    if (OnEnding) {
        TFaxJob ending = job;
        ending.State = EndState(job.State);
        OnEnding(ending);
    }
    bool ok = job.State == jsSent        ? Store.FileSent(job, error)
              : job.State == jsCancelling ? Store.FileCancelled(job, error)
                                          : Store.FileFailed(job, error);
    if (!ok)
        return false;
    {
        std::lock_guard lock(Guard);
        CancelRequests.erase(job.Id);
    }
    if (OnEnded)
        OnEnded(job);
    return true;
}

void TJobRunner::FileJob(TFaxJob& job)
{
    std::string error;
    if (File(job, error))
        return;
    if (job.State == jsSent && error == "the rendered fax has disappeared") {
        job.State = jsFailing;
        job.Error = error;
        if (Store.Save(job))
            return;
    }
    Later(job);
}

void TJobRunner::Later(const TFaxJob& job)
{
    // The disk refuses (full, read-only): the job keeps its last saved state
    // and its step is tried again a while later.
    NextPoll[job.Id] = TClock::now() + std::chrono::seconds(30);
}
