#pragma once

#include <chrono>
#include <map>
#include <string>

// When a line tries a job again after a failure that may pass (a server out
// of reach, a busy number): a limit of attempts and a wait that doubles after
// each, up to a longest wait.
struct TRetryPolicy {
    int Limit = 8;
    std::chrono::milliseconds Delay{30000};
    std::chrono::milliseconds MaxDelay{600000};
};

class TRetrySchedule {
public:
    explicit TRetrySchedule(TRetryPolicy policy) : Policy(policy) {}

    // True while the job's next attempt is not yet due; text then says why it waits.
    bool Waiting(const std::string& jobId, std::string& text) const;
    // Records a failed attempt (attempts: how many so far). False when that
    // was the last one allowed (the job is forgotten); otherwise seconds is
    // the wait before the next, whose text SetText then keeps.
    bool Failed(const std::string& jobId, int& attempts, long& seconds);
    void SetText(const std::string& jobId, const std::string& text);
    void Forget(const std::string& jobId) { Retries.erase(jobId); }

    const TRetryPolicy& Settings() const { return Policy; }
    TRetryPolicy& Settings() { return Policy; }

private:
    struct TRetry {
        int Attempts = 0;
        std::chrono::steady_clock::time_point NotBefore;
        std::string WaitText;
    };
    TRetryPolicy Policy;
    std::map<std::string, TRetry> Retries;  // by the service's job id
};
