#pragma once

#include "fax_line.h"
#include "hylafax/hylafax_client.h"
#include "retry_schedule.h"

#include <chrono>
#include <set>

// What the HylaFAX line does beyond the server's own settings.
struct THylafaxLinePolicy {
    TRetryPolicy Retry;                                  // hand-over attempts while the server is unreachable
    std::chrono::milliseconds PollInterval{5000};        // between two looks at a handed-over job
    bool ReceiveEnabled = true;                          // fetch the server's received faxes
    bool RemoveReceived = false;                         // remove them from the server once filed
};

// The line "hylafax": hands each fax to a HylaFAX server over its client
// protocol and follows the job there until the server reports it DONE (the
// fax left) or FAILED (with the server's words). The server's job id is kept
// in <WorkDir>/<job id>.hylafax before the job is submitted, so that a
// service killed in the middle finds the job again instead of sending twice.
class THylafaxLine : public TFaxLine {
public:
    THylafaxLine(THylafaxSettings settings, THylafaxLinePolicy policy);

    std::string Name() const override { return "hylafax"; }
    bool Simulated() const override { return false; }
    TLineStatus Send(const TLineJob& job) override;
    TLineStatus Poll(const TLineJob& job) override;
    TLineStatus Recover(const TLineJob& job) override;
    // Removes the server's job (JKILL) unless it has already ended.
    TLineStatus Cancel(const TLineJob& job) override;
    std::chrono::milliseconds PollInterval() const override { return Policy.PollInterval; }
    bool FetchesReceived() const override { return Policy.ReceiveEnabled; }
    // Files the server's received faxes not filed before; a fax still coming
    // in waits for the next look.
    TFetchReport FetchReceived(TInbox& inbox) override;

private:
    TLineStatus RetryLater(const TLineJob& job, const std::string& error);
    static std::string RemoteIdPath(const TLineJob& job);
    void Forget(const TLineJob& job);

    THylafaxClient Client;
    THylafaxSettings Settings;
    THylafaxLinePolicy Policy;
    TRetrySchedule Retries;
    std::set<std::string> Unreadable;       // receive queue files this user may not read (receive thread only)
};

// The factory registered under "hylafax". Options: host, port, user, modem,
// timeout (seconds), retry-limit, retry-delay (seconds), poll-interval (seconds),
// receive (yes/no: fetch received faxes, default yes), remove-received
// (yes/no: remove them from the server once filed, default no, so that
// several users can share one server).
std::unique_ptr<TFaxLine> MakeHylafaxLine(const TLineOptions& options, std::string& error);
