#include "retry_schedule.h"

#include <algorithm>

bool TRetrySchedule::Waiting(const std::string& jobId, std::string& text) const
{
    auto pending = Retries.find(jobId);
    if (pending == Retries.end() || std::chrono::steady_clock::now() >= pending->second.NotBefore)
        return false;
    text = pending->second.WaitText;
    return true;
}

bool TRetrySchedule::Failed(const std::string& jobId, int& attempts, long& seconds)
{
    TRetry& retry = Retries[jobId];
    attempts = ++retry.Attempts;
    if (retry.Attempts >= Policy.Limit) {
        Retries.erase(jobId);
        return false;
    }
    auto delay = Policy.Delay;
    for (int i = 1; i < retry.Attempts && delay < Policy.MaxDelay; ++i)
        delay *= 2;
    delay = std::min(delay, Policy.MaxDelay);
    retry.NotBefore = std::chrono::steady_clock::now() + delay;
    seconds = static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(delay).count());
    return true;
}

void TRetrySchedule::SetText(const std::string& jobId, const std::string& text)
{
    auto pending = Retries.find(jobId);
    if (pending != Retries.end())
        pending->second.WaitText = text;
}
