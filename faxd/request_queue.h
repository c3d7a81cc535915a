#pragma once

#include "socket_server.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

// Runs requests one after another on a thread of its own, so that the socket
// loop goes on serving every client while a request copies a large body.
// Each connection's answers keep the order of its requests.
class TRequestQueue {
public:
    using THandler = std::function<void(TConnectionId, const std::string&)>;

    explicit TRequestQueue(THandler handler);
    // Finishes the request at work, drops those still waiting.
    ~TRequestQueue();
    TRequestQueue(const TRequestQueue&) = delete;
    TRequestQueue& operator=(const TRequestQueue&) = delete;

    // False when MaxWaiting requests wait already.
    bool Add(TConnectionId from, std::string request);

    static constexpr size_t MaxWaiting = 256;

private:
    void Work();

    THandler Handler;
    std::mutex Guard;
    std::condition_variable Signal;
    std::deque<std::pair<TConnectionId, std::string>> Waiting;
    bool Stopping = false;
    std::thread Worker;
};
