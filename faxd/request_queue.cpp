#include "request_queue.h"

TRequestQueue::TRequestQueue(THandler handler) : Handler(std::move(handler)), Worker([this] { Work(); }) {}

TRequestQueue::~TRequestQueue()
{
    {
        std::lock_guard lock(Guard);
        Stopping = true;
    }
    Signal.notify_all();
    Worker.join();
}

bool TRequestQueue::Add(TConnectionId from, std::string request)
{
    {
        std::lock_guard lock(Guard);
        if (Waiting.size() >= MaxWaiting)
            return false;
        Waiting.emplace_back(from, std::move(request));
    }
    Signal.notify_one();
    return true;
}

void TRequestQueue::Work()
{
    for (;;) {
        std::pair<TConnectionId, std::string> next;
        {
            std::unique_lock lock(Guard);
            Signal.wait(lock, [this] { return Stopping || !Waiting.empty(); });
            if (Stopping)
                return;
            next = std::move(Waiting.front());
            Waiting.pop_front();
        }
        Handler(next.first, next.second);
    }
}
