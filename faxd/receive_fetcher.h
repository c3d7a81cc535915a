#pragma once

#include "fax_line.h"
#include "inbox.h"

#include <condition_variable>
#include <mutex>
#include <thread>

// The service's receive thread: asks a line that fetches received faxes for
// them at once and then every PollInterval, until stopped. Does nothing for
// other lines.
class TReceiveFetcher {
public:
    TReceiveFetcher(TFaxLine& line, TInbox& inbox) : Line(line), Inbox(inbox) {}
    ~TReceiveFetcher() { Stop(); }
    TReceiveFetcher(const TReceiveFetcher&) = delete;
    TReceiveFetcher& operator=(const TReceiveFetcher&) = delete;

    void Start();
    void Stop();

private:
    void Run();

    TFaxLine& Line;
    TInbox& Inbox;
    std::thread Thread;
    std::mutex Guard;
    std::condition_variable Signal;
    bool Stopping = false;
};
