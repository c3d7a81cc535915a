#include "sip_line.h"

#include "inbox.h"
#include "sip/sip_fax_session.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

using TClock = std::chrono::steady_clock;
constexpr auto RegistrationWait = std::chrono::seconds(10);
constexpr auto EndWait = std::chrono::seconds(10);

const char* AuthFailureText = "SIP認証失敗";

bool ParseCount(const std::string& text, long low, long high, long& value)
{
    // Bytes of any value come from the network: never handed to isdigit as char.
    auto digit = [](unsigned char c) { return c >= '0' && c <= '9'; };
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), digit))
        return false;
    value = std::stol(text);
    return value >= low && value <= high;
}

bool IsToken(const std::string& text, const char* extra)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [extra](unsigned char c) {
        return std::isalnum(c) || std::strchr(extra, c) != nullptr;
    });
}

// Waits until the call leaves the phases given, or until deadline.
void WaitWhile(TSipCall& call, std::initializer_list<TSipCallPhase> phases, TClock::time_point deadline)
{
    std::unique_lock lock(call.Guard);
    call.Changed.wait_until(lock, deadline, [&] {
        return std::find(phases.begin(), phases.end(), call.Phase) == phases.end();
    });
}

std::string PagesText(int sent, int total)
{
    return std::to_string(sent) + " of " + std::to_string(total) + " page" + (total == 1 ? "" : "s") + " sent";
}

} // namespace

std::string SipFailureText(int status, const std::string& phrase)
{
    switch (status) {
    case 486:
    case 600:
        return "busy";
    case 408:
    case 480:
    case 487:
        return "no answer";
    case 404:
    case 484:
    case 604:
        return "no such number (" + std::to_string(status) + " " + phrase + ")";
    default:
        return "call refused: " + std::to_string(status) + " " + phrase;
    }
}

TSipLine::TSipLine(TSipSettings settings, TRetryPolicy retry) : Settings(std::move(settings)), Retries(retry) {}

TSipLine::~TSipLine()
{
    Stopping = true;
    JoinReceiver();
    Agent.Stop();
    JoinReceiver();
}

bool TSipLine::Start(std::string& error)
{
    return Agent.Start(
        Settings, [this](const std::shared_ptr<TSipCall>& call, TSipLocalMedia& local) { return Answer(call, local); },
        error);
}

void TSipLine::StartReceiving(const std::string& workDir, TInbox& inbox)
{
    std::lock_guard lock(Guard);
    WorkDir = workDir;
    Inbox = &inbox;
}

void TSipLine::JoinReceiver()
{
    if (Receiver.joinable() && Receiver.get_id() != std::this_thread::get_id())
        Receiver.join();
}

TLineStatus TSipLine::Busy(const TLineJob& job, const std::string& what)
{
    int attempts = 0;
    long seconds = 0;
    if (!Retries.Failed(job.Id, attempts, seconds))
        return {lsFailed, {}, what + " (" + std::to_string(attempts) + " attempts)", 0, 0, 0, {}, {}};
    std::string text = what + "; calling again in " + std::to_string(seconds) + " s (attempt "
        + std::to_string(attempts) + " of " + std::to_string(Retries.Settings().Limit) + ")";
    Retries.SetText(job.Id, text);
    return {lsPending, {}, text, 0, 0, 0, {}, {}};
}

TLineStatus TSipLine::Send(const TLineJob& job)
{
    std::string waiting;
    if (Retries.Waiting(job.Id, waiting))
        return {lsPending, {}, waiting, 0, 0, 0, {}, {}};
    {
        std::lock_guard lock(Guard);
        if (InCall)
            return {lsPending, {}, "the line is receiving a fax", 0, 0, 0, {}, {}};
        InCall = true;
    }
    const std::atomic<bool>& abort = job.Abort ? *job.Abort : NoAbort;
    struct TRelease {
        TSipLine& Line;
        ~TRelease()
        {
            std::lock_guard lock(Line.Guard);
            Line.InCall = false;
        }
    } release{*this};

    bool authFailed = false;
    std::string error;
    if (!Agent.WaitRegistered(RegistrationWait, authFailed, error)) {
        if (authFailed) {
            Retries.Forget(job.Id);
            return {lsFailed, {}, AuthFailureText, 0, 0, 0, {}, {}};
        }
        return Busy(job, "not registered with " + Settings.Server + ": " + error);
    }
    TSipFaxSession session(true, job.TiffPath, Settings.User);
    if (!session.Open(Agent.LocalAddress(), Settings.T38 != tmNever, error))
        return {lsFailed, {}, error, 0, 0, 0, {}, {}};

    bool offerT38 = Settings.T38 == tmAlways;
    std::shared_ptr<TSipCall> call = Agent.Invite(job.Number, session.Local(), offerT38);
    auto ringUntil = TClock::now() + Settings.RingTime;
    bool noAnswer = false;
    while (true) {
        WaitWhile(*call, {cpDialling, cpRinging}, std::min(ringUntil, TClock::now() + std::chrono::milliseconds(100)));
        std::unique_lock lock(call->Guard);
        if (call->Phase == cpEnded && offerT38 && RefusesMedia(call->EndStatus)) {
            // No T.38 there: the same number again, on audio.
            lock.unlock();
            offerT38 = false;
            call = Agent.Invite(job.Number, session.Local(), false);
            continue;
        }
        if (call->Phase == cpUp || call->Phase == cpEnded)
            break;
        lock.unlock();
        if (abort || TClock::now() >= ringUntil) {
            noAnswer = !abort;
            Agent.Hangup(call);  // CANCEL
            WaitWhile(*call, {cpDialling, cpRinging, cpUp}, TClock::now() + EndWait);
            break;
        }
    }

    TLineStatus status;
    status.State = lsFailed;
    TSipCallPhase phase;
    {
        std::lock_guard lock(call->Guard);
        phase = call->Phase;
        if (phase == cpEnded && call->AuthFailed)
            status.Text = AuthFailureText;
        else if (phase == cpEnded && !noAnswer && !abort && (call->EndStatus == 486 || call->EndStatus == 600))
            return Busy(job, "busy");
        else if (phase == cpEnded && !noAnswer && !abort)
            status.Text = SipFailureText(call->EndStatus, call->EndText);
    }
    if (phase != cpUp) {
        if (abort && status.Text.empty())
            return {lsAborted, {}, "cancelled", 0, 0, 0, {}, {}};
        if (status.Text.empty())
            status.Text = "no answer";
        Retries.Forget(job.Id);
        return status;
    }

    TSipFaxResult result = session.Run(Agent, call, false, abort);
    Retries.Forget(job.Id);
    status.Pages = result.Pages;
    status.BitRate = result.BitRate;
    status.LineSeconds = result.Seconds;
    status.Media = result.T38 ? "T.38" : "G.711";
    status.StationId = result.StationId;
    if (result.Completed) {
        status.State = lsDone;
        status.Text = "sent over " + status.Media + " at " + std::to_string(result.BitRate) + " bit/s";
    } else if (abort) {
        status.State = lsAborted;
        status.Text = "cancelled: " + PagesText(result.Pages, job.Pages);
    } else if (result.HungUp) {
        status.Text = "the far end hung up: " + PagesText(result.Pages, job.Pages);
    } else {
        status.Text = result.Error + ": " + PagesText(result.Pages, job.Pages);
    }
    return status;
}

bool TSipLine::Answer(const std::shared_ptr<TSipCall>& call, TSipLocalMedia& local)
{
    std::lock_guard lock(Guard);
    if (InCall || WorkDir.empty() || Stopping)
        return false;
    JoinReceiver();
    std::string tiff = WorkDir + "/sip-rx-" + std::to_string(++Received) + ".tif";
    auto session = std::make_shared<TSipFaxSession>(false, tiff, Settings.User);
    std::string error;
    if (!session->Open(Agent.LocalAddress(), Settings.T38 != tmNever, error))
        return false;
    local = session->Local();
    InCall = true;
    Receiver = std::thread([this, call, session, tiff] { Receive(call, session, tiff); });
    return true;
}

void TSipLine::Receive(std::shared_ptr<TSipCall> call, std::shared_ptr<TSipFaxSession> session, std::string tiff)
{
    WaitWhile(*call, {cpDialling, cpRinging}, TClock::now() + EndWait);
    TSipFaxResult result = session->Run(Agent, call, Settings.T38 != tmNever, Stopping);
    TInbox* inbox = nullptr;
    {
        std::lock_guard lock(Guard);
        inbox = Inbox;
    }
    TInboxFax fax;
    fax.Station = result.StationId.empty() ? call->Caller : result.StationId;
    fax.Number = call->Caller;
    fax.Line = "sip";
    std::string error;
    std::error_code ignored;
    if (result.Pages > 0 && inbox && inbox->FileReceivedFax(tiff, fax, error)) {
        std::fprintf(stderr, "pelmor-faxd: received %d page(s) from %s over %s into the inbox as %s%s\n",
                     result.Pages, call->Caller.c_str(), result.T38 ? "T.38" : "G.711", fax.Id.c_str(),
                     result.Completed ? "" : (" (incomplete: " + result.Error + ")").c_str());
    } else {
        if (result.Pages > 0)
            std::fprintf(stderr, "pelmor-faxd: a fax from %s could not be filed: %s\n", call->Caller.c_str(),
                         error.c_str());
        std::filesystem::remove(tiff, ignored);
    }
    session.reset();
    std::lock_guard lock(Guard);
    InCall = false;
}

std::unique_ptr<TFaxLine> MakeSipLine(const TLineOptions& options, std::string& error)
{
    TSipSettings settings;
    TRetryPolicy retry;
    retry.Limit = 4;
    retry.Delay = std::chrono::seconds(120);
    for (const auto& [key, value] : options) {
        long number = 0;
        if (key == "server") {
            if (!IsToken(value, ".-:[]")) {
                error = "invalid --sip-server: " + value;
                return nullptr;
            }
            settings.Server = value;
        } else if (key == "user") {
            if (!IsToken(value, ".-_+")) {
                error = "invalid --sip-user: " + value;
                return nullptr;
            }
            settings.User = value;
        } else if (key == "password") {
            if (value.find_first_of("\r\n") != std::string::npos) {
                error = "invalid sip-password";
                return nullptr;
            }
            settings.Password = value;
        } else if (key == "transport") {
            if (value != "udp" && value != "tcp") {
                error = "invalid --sip-transport (udp or tcp): " + value;
                return nullptr;
            }
            settings.Transport = value;
        } else if (key == "t38") {
            if (value != "auto" && value != "always" && value != "never") {
                error = "invalid --sip-t38 (auto, always or never): " + value;
                return nullptr;
            }
            settings.T38 = value == "auto" ? tmAuto : value == "always" ? tmAlways : tmNever;
        } else if (key == "local-port") {
            if (!ParseCount(value, 1, 65535, number)) {
                error = "invalid --sip-local-port: " + value;
                return nullptr;
            }
            settings.LocalPort = static_cast<int>(number);
        } else if (key == "ring-time") {
            if (!ParseCount(value, 1, 600, number)) {
                error = "invalid --sip-ring-time (seconds): " + value;
                return nullptr;
            }
            settings.RingTime = std::chrono::seconds(number);
        } else if (key == "retry-limit") {
            if (!ParseCount(value, 1, 1000, number)) {
                error = "invalid --sip-retry-limit: " + value;
                return nullptr;
            }
            retry.Limit = static_cast<int>(number);
        } else if (key == "retry-delay") {
            if (!ParseCount(value, 1, 86400, number)) {
                error = "invalid --sip-retry-delay (seconds): " + value;
                return nullptr;
            }
            retry.Delay = std::chrono::seconds(number);
            retry.MaxDelay = std::max(retry.MaxDelay, retry.Delay);
        } else {
            error = "unknown option --sip-" + key
                + " (known: server, user, password, transport, t38, local-port, ring-time, retry-limit, retry-delay)";
            return nullptr;
        }
    }
    if (settings.Server.empty() || settings.User.empty()) {
        error = "the SIP line needs sip-server and sip-user";
        return nullptr;
    }
    auto line = std::make_unique<TSipLine>(settings, retry);
    if (!line->Start(error))
        return nullptr;
    return line;
}
