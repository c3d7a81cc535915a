#pragma once

#include "fax_line.h"
#include "job_store.h"
#include "office_printer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>

// The service's one job thread: takes the unfinished jobs in id order and
// moves each through rendering, the line and filing, saving every step
// before the next begins. Jobs handed to a line that reports later are
// polled between the others.
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
    TLineJob LineJob(const TFaxJob& job) const;
    void Later(const TFaxJob& job);

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
};
