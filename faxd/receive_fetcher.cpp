#include "receive_fetcher.h"

#include <cstdio>

void TReceiveFetcher::Start() {
    if (Line.FetchesReceived() && !Thread.joinable()) Thread = std::thread([this] { Run(); });
}

void TReceiveFetcher::Stop() {
    {
        std::lock_guard lock(Guard);
        Stopping = true;
    }
    Signal.notify_all();
    if (Thread.joinable()) Thread.join();
}

void TReceiveFetcher::Run() {
    std::string lastError;
    int lastSkipped = 0;
    for (;;) {
        TFetchReport report = Line.FetchReceived(Inbox);
        if (report.Skipped != lastSkipped)
            std::fprintf(stderr, "pelmor-faxd: %d received fax(es) skipped: not readable for this user\n",
                         report.Skipped);
        lastSkipped = report.Skipped;
        // Said once while it lasts, not at every look.
        if (!report.Error.empty() && report.Error != lastError)
            std::fprintf(stderr, "pelmor-faxd: fetching received faxes: %s\n", report.Error.c_str());
        lastError = report.Error;
        std::unique_lock lock(Guard);
        if (Signal.wait_for(lock, Line.PollInterval(), [this] { return Stopping; })) return;
    }
}
