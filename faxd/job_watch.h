#pragma once

#include "fax_job.h"
#include "socket_server.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

// The connections that asked to watch the jobs, and the thread that writes
// each job change to them. A change is queued by whoever makes it and
// written from here, so that a watcher that reads slowly never holds a job
// up; a connection that does not take its line is dropped.
class TJobWatch {
public:
    // push writes one line to a connection (false: it is gone).
    using TPush = std::function<bool(TConnectionId, const std::string&)>;

    explicit TJobWatch(TPush push);
    ~TJobWatch();
    TJobWatch(const TJobWatch&) = delete;
    TJobWatch& operator=(const TJobWatch&) = delete;

    // Starts a watch: writes the answer made by answer() to the connection
    // and adds it, so that it gets every change made after the answer was
    // made, and none from before.
    void Add(TConnectionId connection, const std::function<std::string()>& answer);
    void Remove(TConnectionId connection);

    // A job changed (any thread).
    void Changed(const TFaxJob& job);

private:
    struct TEvent {
        std::string Line;
        std::vector<TConnectionId> To;
    };
    void Run();

    TPush Push;
    std::mutex Guard;
    std::condition_variable Signal;
    std::set<TConnectionId> Watchers;
    std::deque<TEvent> Events;
    bool Stopping = false;
    std::thread Thread;
};
