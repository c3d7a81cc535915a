#include "job_runner.h"

#include "durable/durable_file.h"
#include "kill_point.h"
#include "render_process.h"

#include <filesystem>

using TClock = std::chrono::steady_clock;

TJobRunner::TJobRunner(TJobStore& store, TFaxLine& line, std::string program)
    : Store(store), Line(line), Program(std::move(program))
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
    }
    Line.Interrupt();
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

void TJobRunner::Run()
{
    while (!Stopping) {
        // The first job with work to do now; otherwise the nearest poll.
        TClock::time_point wakeAt = TClock::now() + std::chrono::hours(1);
        bool worked = false;
        for (TFaxJob& job : Store.ActiveJobs()) {
            auto due = NextPoll.find(job.Id);
            if (due != NextPoll.end() && due->second > TClock::now()) {
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
}

void TJobRunner::Step(TFaxJob& job)
{
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
    case jsDone:
    case jsFailed:
        break;
    }
}

void TJobRunner::Render(TFaxJob& job)
{
    job.Rendering = true;
    Store.Show(job);
    auto started = TClock::now();
    int pages = 0;
    std::string error;
    bool ok = RenderInChildProcess(Program, job.BodyType, Store.BodyPath(job.Id), Store.PartPath(job.Id), pages,
                                   error, &Stopping);
    job.Rendering = false;
    if (Stopping) {
        Store.Show(job);
        return;
    }
    job.RenderSeconds = std::chrono::duration<double>(TClock::now() - started).count();
    if (ok && !RenameDurably(Store.PartPath(job.Id), Store.FaxPath(job.Id))) {
        ok = false;
        error = "cannot keep the rendered fax";
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
        job.State = job.RemoteId.empty() ? jsRendered : jsHanded;
        NextPoll[job.Id] = TClock::now() + Line.PollInterval();
        break;
    }
    if (!Store.Save(job))
        Later(job);
    else if (job.State == jsSent || job.State == jsFailing)
        NextPoll.erase(job.Id);
}

void TJobRunner::FileJob(TFaxJob& job)
{
    std::string error;
    bool ok = job.State == jsSent ? Store.FileSent(job, error) : Store.FileFailed(job, error);
    if (ok)
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
