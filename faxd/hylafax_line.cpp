#include "hylafax_line.h"

#include "durable/durable_file.h"
#include "inbox.h"
#include "hylafax/hylafax_reply.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace {

std::string ServerName(const THylafaxSettings& settings) {
    return settings.Host + ":" + std::to_string(settings.Port);
}

// What the job list shows while the server has the job: its state, and its
// status text when there is one ("SLEEPING: Busy signal detected").
std::string ServerView(const THylafaxJobStatus& status) {
    std::string state = status.State.empty() ? "UNKNOWN" : status.State;
    return status.Status.empty() ? state : state + ": " + status.Status;
}

bool ParseYesNo(const std::string& text, bool& value) {
    if (text == "yes" || text == "true" || text == "1") return value = true, true;
    if (text == "no" || text == "false" || text == "0") return !(value = false);
    return false;
}

bool ParseCount(const std::string& text, long low, long high, long& value) {
    if (text.empty() || text.size() > 9) return false;
    for (unsigned char c : text) {
        if (!std::isdigit(c)) return false;
    }
    value = std::stol(text);
    return value >= low && value <= high;
}

std::string ReadRemoteId(const std::string& path) {
    std::ifstream in(path);
    std::string id;
    if (!(in >> id)) return {};
    return std::all_of(id.begin(), id.end(), [](unsigned char c) { return std::isdigit(c); }) ? id : std::string();
}

}  // namespace

THylafaxLine::THylafaxLine(THylafaxSettings settings, THylafaxLinePolicy policy)
    : Client(settings), Settings(std::move(settings)), Policy(policy), Retries(policy.Retry) {}

std::string THylafaxLine::RemoteIdPath(const TLineJob& job) { return job.WorkDir + "/" + job.Id + ".hylafax"; }

void THylafaxLine::Forget(const TLineJob& job) {
    Retries.Forget(job.Id);
    RemoveDurably(RemoteIdPath(job));
}

TLineStatus THylafaxLine::RetryLater(const TLineJob& job, const std::string& error) {
    int attempts = 0;
    long seconds = 0;
    if (!Retries.Failed(job.Id, attempts, seconds)) {
        std::string text = "HylaFAX server " + ServerName(Settings) + " unreachable after " +
                           std::to_string(attempts) + " attempts: " + error;
        Forget(job);
        return {lsFailed, {}, text, 0, 0, 0, {}, {}};
    }
    std::string text = "waiting for the HylaFAX server (attempt " + std::to_string(attempts) + " of " +
                       std::to_string(Policy.Retry.Limit) + " failed: " + error + "; next in " +
                       std::to_string(seconds) + " s)";
    Retries.SetText(job.Id, text);
    return {lsPending, {}, text, 0, 0, 0, {}, {}};
}

TLineStatus THylafaxLine::Send(const TLineJob& job) {
    std::string waiting;
    if (Retries.Waiting(job.Id, waiting)) return {lsPending, {}, waiting, 0, 0, 0, {}, {}};
    THylafaxJobRequest request;
    request.Number = job.Number;
    request.DocumentPath = job.TiffPath;
    const std::string idPath = RemoteIdPath(job);
    THylafaxSubmitResult result =
        Client.Submit(request, [&idPath](const std::string& remoteId) { return WriteFileDurably(idPath, remoteId + "\n"); });

    switch (result.Outcome) {
    case hoOk:
        Retries.Forget(job.Id);
        return {lsRunning, result.JobId, "handed to HylaFAX as job " + result.JobId, 0, 0, 0, {}, {}};
    case hoRefused:
        Forget(job);
        return {lsFailed, {}, "HylaFAX refused the job: " + result.Error, 0, 0, 0, {}, {}};
    case hoUnreachable:
        RemoveDurably(idPath);
        return RetryLater(job, result.Error);
    case hoUncertain: {
        // The submission went out but its answer did not come back: the job
        // exists on the server exactly when it was submitted.
        THylafaxJobStatus status = Client.Query(result.JobId);
        if (status.Outcome == hoOk && !status.Exists) {
            RemoveDurably(idPath);
            return RetryLater(job, result.Error);
        }
        Retries.Forget(job.Id);
        return {lsRunning, result.JobId, "handed to HylaFAX as job " + result.JobId, 0, 0, 0, {}, {}};
    }
    }
    return {lsFailed, {}, "unexpected hand-over result", 0, 0, 0, {}, {}};
}

TLineStatus THylafaxLine::Poll(const TLineJob& job) {
    THylafaxJobStatus status = Client.Query(job.RemoteId);
    if (status.Outcome != hoOk) {
        // The server has the job; it goes on without us. Look again later.
        return {lsRunning, job.RemoteId, "HylaFAX server unreachable: " + status.Error, 0, 0, 0, {}, {}};
    }
    if (!status.Exists) {
        Forget(job);
        return {lsFailed, job.RemoteId, "HylaFAX job " + job.RemoteId + " was removed on the server", 0, 0, 0, {}, {}};
    }
    if (status.Done()) {
        Forget(job);
        return {lsDone, job.RemoteId, "DONE", status.Pages, 0, 0, {}, {}};
    }
    if (status.Failed()) {
        Forget(job);
        std::string text = status.Status.empty() ? "HylaFAX job " + job.RemoteId + " failed" : status.Status;
        return {lsFailed, job.RemoteId, text, status.Pages, 0, 0, {}, {}};
    }
    return {lsRunning, job.RemoteId, ServerView(status), status.Pages, 0, 0, {}, {}};
}

TLineStatus THylafaxLine::Recover(const TLineJob& job) {
    std::string remoteId = ReadRemoteId(RemoteIdPath(job));
    if (remoteId.empty()) return {lsPending, {}, {}, 0, 0, 0, {}, {}};
    THylafaxJobStatus status = Client.Query(remoteId);
    if (status.Outcome == hoOk && !status.Exists) {
        // Created but never submitted: hfaxd drops such a job with its connection.
        RemoveDurably(RemoteIdPath(job));
        return {lsPending, {}, {}, 0, 0, 0, {}, {}};
    }
    // Submitted, or the server cannot say now: follow the job, never send it twice.
    return {lsRunning, remoteId, status.Outcome == hoOk ? ServerView(status) : "handed to HylaFAX as job " + remoteId,
            0, 0, 0, {}, {}};
}

TLineStatus THylafaxLine::Cancel(const TLineJob& job) {
    auto later = [&](const std::string& error) {
        return TLineStatus{lsRunning, job.RemoteId, "cancelling: HylaFAX server unreachable: " + error, 0, 0, 0, {}, {}};
    };
    auto ended = [&](const THylafaxJobStatus& status) {
        Forget(job);
        if (status.Done()) return TLineStatus{lsDone, job.RemoteId, "DONE", status.Pages, 0, 0, {}, {}};
        return TLineStatus{lsFailed, job.RemoteId, "cancelled", status.Pages, 0, 0, {}, {}};
    };
    THylafaxJobStatus before = Client.Query(job.RemoteId);
    if (before.Outcome != hoOk) return later(before.Error);
    if (!before.Exists || before.Done() || before.Failed()) return ended(before);
    std::string error;
    THylafaxOutcome killed = Client.Kill(job.RemoteId, error);
    if (killed == hoUnreachable) return later(error);
    // Killed, or refused because it ended meanwhile: the server says which.
    THylafaxJobStatus after = Client.Query(job.RemoteId);
    if (after.Outcome == hoOk && (after.Done() || after.Failed() || !after.Exists)) return ended(after);
    if (killed == hoOk) return ended(THylafaxJobStatus{});
    return later(error);
}

TFetchReport THylafaxLine::FetchReceived(TInbox& inbox) {
    TFetchReport report;
    std::vector<THylafaxReceivedFax> queue;
    if (Client.ListReceived(queue, report.Error) != hoOk) return report;
    const std::string server = "hylafax://" + ServerName(Settings) + "/recvq/";
    for (const THylafaxReceivedFax& entry : queue) {
        if (entry.Receiving || inbox.HasSource(server + entry.File)) continue;
        if (Unreadable.count(entry.File)) {
            ++report.Skipped;
            continue;
        }
        std::string bytes, error;
        THylafaxOutcome outcome = Client.RetrieveReceived(entry.File, bytes, error);
        if (outcome == hoRefused) {
            Unreadable.insert(entry.File);
            ++report.Skipped;
            continue;
        }
        if (outcome != hoOk) {
            report.Error = error;
            break;
        }
        std::string incoming = inbox.IncomingDir() + "/hylafax-" + entry.File;
        TInboxFax fax;
        fax.Station = entry.Station;
        fax.Line = Name();
        fax.Source = server + entry.File;
        if (!WriteFileDurably(incoming, bytes) || !inbox.FileReceivedFax(incoming, fax, error)) {
            RemoveDurably(incoming);
            report.Error = error.empty() ? "cannot write " + incoming : error;
            break;
        }
        ++report.Fetched;
        if (Policy.RemoveReceived && Client.RemoveReceived(entry.File, error) != hoOk) report.Error = error;
    }
    return report;
}

std::unique_ptr<TFaxLine> MakeHylafaxLine(const TLineOptions& options, std::string& error) {
    THylafaxSettings settings;
    THylafaxLinePolicy policy;
    for (const auto& [key, value] : options) {
        long number = 0;
        if (key == "host") {
            if (value.empty() || value.find_first_of(" \t/") != std::string::npos) {
                error = "invalid --hylafax-host: " + value;
                return nullptr;
            }
            settings.Host = value;
        } else if (key == "port") {
            if (!ParseCount(value, 1, 65535, number)) {
                error = "invalid --hylafax-port: " + value;
                return nullptr;
            }
            settings.Port = static_cast<int>(number);
        } else if (key == "user") {
            if (value.empty() || !IsQuotableParameter(value) || value.find(' ') != std::string::npos) {
                error = "invalid --hylafax-user: " + value;
                return nullptr;
            }
            settings.User = value;
        } else if (key == "modem") {
            if (!IsQuotableParameter(value) || value.find(' ') != std::string::npos) {
                error = "invalid --hylafax-modem: " + value;
                return nullptr;
            }
            settings.Modem = value;
        } else if (key == "timeout") {
            if (!ParseCount(value, 1, 3600, number)) {
                error = "invalid --hylafax-timeout (seconds): " + value;
                return nullptr;
            }
            settings.TimeoutMs = static_cast<int>(number * 1000);
        } else if (key == "retry-limit") {
            if (!ParseCount(value, 1, 1000, number)) {
                error = "invalid --hylafax-retry-limit: " + value;
                return nullptr;
            }
            policy.Retry.Limit = static_cast<int>(number);
        } else if (key == "retry-delay") {
            if (!ParseCount(value, 1, 86400, number)) {
                error = "invalid --hylafax-retry-delay (seconds): " + value;
                return nullptr;
            }
            policy.Retry.Delay = std::chrono::seconds(number);
            policy.Retry.MaxDelay = std::max(policy.Retry.MaxDelay, policy.Retry.Delay);
        } else if (key == "poll-interval") {
            if (!ParseCount(value, 1, 3600, number)) {
                error = "invalid --hylafax-poll-interval (seconds): " + value;
                return nullptr;
            }
            policy.PollInterval = std::chrono::seconds(number);
        } else if (key == "receive" || key == "remove-received") {
            bool& flag = key == "receive" ? policy.ReceiveEnabled : policy.RemoveReceived;
            if (!ParseYesNo(value, flag)) {
                error = "invalid --hylafax-" + key + " (yes or no): " + value;
                return nullptr;
            }
        } else {
            error = "unknown option --hylafax-" + key +
                    " (known: host, port, user, modem, timeout, retry-limit, retry-delay, poll-interval, receive, "
                    "remove-received)";
            return nullptr;
        }
    }
    if (settings.User.empty()) settings.User = CurrentLoginName();
    return std::make_unique<THylafaxLine>(settings, policy);
}
