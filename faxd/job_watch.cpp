#include "job_watch.h"

#include "faxproto/fax_messages.h"

TJobWatch::TJobWatch(TPush push) : Push(std::move(push)), Thread([this] { Run(); }) {}

TJobWatch::~TJobWatch()
{
    {
        std::lock_guard lock(Guard);
        Stopping = true;
    }
    Signal.notify_all();
    Thread.join();
}

void TJobWatch::Add(TConnectionId connection, const std::function<std::string()>& answer)
{
    std::lock_guard lock(Guard);
    if (Push(connection, answer()))
        Watchers.insert(connection);
}

void TJobWatch::Remove(TConnectionId connection)
{
    std::lock_guard lock(Guard);
    Watchers.erase(connection);
}

void TJobWatch::Changed(const TFaxJob& job)
{
    {
        std::lock_guard lock(Guard);
        if (Watchers.empty())
            return;
        Events.push_back({EncodeJobEvent(PublicJobInfo(job)), {Watchers.begin(), Watchers.end()}});
    }
    Signal.notify_one();
}

void TJobWatch::Run()
{
    std::unique_lock lock(Guard);
    for (;;) {
        Signal.wait(lock, [this] { return Stopping || !Events.empty(); });
        if (Stopping)
            return;
        TEvent event = std::move(Events.front());
        Events.pop_front();
        lock.unlock();
        std::vector<TConnectionId> gone;
        for (TConnectionId to : event.To)
            if (!Push(to, event.Line))
                gone.push_back(to);
        lock.lock();
        for (TConnectionId to : gone)
            Watchers.erase(to);
    }
}
