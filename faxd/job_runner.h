#pragma once

#include "fax_line.h"
#include "job_store.h"
#include "office_printer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>

// The service's one job thread: takes the unfinished jobs in id order and
// moves each through rendering, the line and filing, saving every step
// before the next begins. Jobs handed to a line that reports later are
// polled between the others. A cancelled job is stopped where it stands
// (the renderer killed, the simulated call cut, the server's job removed)
// and filed as cancelled.
class TJobRunner {
public:
    // program: this executable, started again to render each body; office:
    // how office documents are printed first.
    TJobRunner(TJobStore& store, TFaxLine& line, std::string program, TOfficePrinter::TSettings office = {});
    ~TJobRunner();
    TJobRunner(const TJobRunner&) = delete;
    TJobRunner& operator=(const TJobRunner&) = delete;

    void Start();
    // Ends the thread after the step at hand (a running renderer is killed;
    // its job renders again at the next start).
    void Stop();
    // A new job arrived.
    void Wake();

    // Asks for a queued or running job to be stopped; it ends cancelled
    // unless the line has sent it already. False with a short error when no
    // such job is in progress.
    bool Cancel(const std::string& id, std::string& error);

    // Called (on the job thread, or on the thread of a cancel) for each job about to be filed (done, failed
    // or cancelled; job.Finished set), and once it has been filed.
    void SetEndingHandler(std::function<void(const TFaxJob&)> handler) { OnEnding = std::move(handler); }
    void SetEndedHandler(std::function<void(const TFaxJob&)> handler) { OnEnded = std::move(handler); }

private:
    void Run();
    // One step of a job.
    void Step(TFaxJob& job);
    void Render(TFaxJob& job);
    bool RenderBodyOf(const TFaxJob& job, int& pages, std::string& error, bool& temporary);
    void Transmit(TFaxJob& job);
    void Poll(TFaxJob& job);
    void Apply(TFaxJob& job, const TLineStatus& status);
    void FileJob(TFaxJob& job);
    // Reports, files and announces an ending job; false when filing failed.
    bool File(TFaxJob& job, std::string& error);
    TLineJob LineJob(const TFaxJob& job) const;
    void Later(const TFaxJob& job);
    bool CancelRequested(const std::string& id);
    // Makes the job the one at hand; false when it is not the job thread's
    // to step (being cancelled elsewhere, or ended meanwhile).
    bool Begin(const std::string& id);
    void MarkCancelling(TFaxJob& job);
    void StopOnLine(TFaxJob& job);

    TJobStore& Store;
    TFaxLine& Line;
    std::string Program;
    TOfficePrinter Office;
    std::thread Thread;
    std::mutex Guard;
    std::condition_variable Signal;
    bool Woken = false;
    std::atomic<bool> Stopping{false};
    std::map<std::string, std::chrono::steady_clock::time_point> NextPoll;
    std::set<std::string> CancelRequests;   // guarded by Guard
    std::string CurrentId;                  // guarded by Guard: the job at the step at hand
    std::set<std::string> Taken;            // guarded by Guard: being cancelled by a request thread
    std::atomic<bool> AbortCurrent{false};  // stops the renderer or the call at hand
    std::function<void(const TFaxJob&)> OnEnding;
    std::function<void(const TFaxJob&)> OnEnded;
};
