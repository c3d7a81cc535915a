#pragma once

#include "fax_line.h"
#include "retry_schedule.h"
#include "sip/sip_agent.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class TSipFaxSession;

// The line "sip": registers an account with a SIP server (a provider or an
// office PBX) and sends each fax as a call, over T.38 when the far side
// offers or accepts it and over G.711 audio otherwise. It answers calls to
// the account too, one at a time, and files what it receives. A busy number
// is called again later, as the HylaFAX line retries an unreachable server.
class TSipLine : public TFaxLine {
public:
    TSipLine(TSipSettings settings, TRetryPolicy retry);
    ~TSipLine() override;

    // Starts the user agent (and the registration); false with an error.
    bool Start(std::string& error);

    std::string Name() const override { return "sip"; }
    bool Simulated() const override { return false; }
    // A cancel or a stop while the call rings sends CANCEL, once it is up BYE;
    // either way Send returns lsAborted.
    TLineStatus Send(const TLineJob& job) override;
    void StartReceiving(const std::string& workDir, TInbox& inbox) override;

private:
    TLineStatus Busy(const TLineJob& job, const std::string& what);
    bool Answer(const std::shared_ptr<TSipCall>& call, TSipLocalMedia& local);
    void Receive(std::shared_ptr<TSipCall> call, std::shared_ptr<TSipFaxSession> session, std::string tiff);
    void JoinReceiver();

    TSipSettings Settings;
    TRetrySchedule Retries;
    TSipAgent Agent;

    std::mutex Guard;             // guards what follows
    bool InCall = false;          // a call, ours or incoming, holds the line
    std::string WorkDir;          // empty until StartReceiving
    TInbox* Inbox = nullptr;      // where received faxes are filed
    std::thread Receiver;         // the thread of the incoming call, when one ran
    int Received = 0;

    std::atomic<bool> Stopping{false};  // the line is closing: an incoming call ends
    const std::atomic<bool> NoAbort{false};
};

// The factory registered under "sip". Options: server, user, password,
// transport (udp, tcp), t38 (auto, always, never), local-port, ring-time
// (seconds), retry-limit, retry-delay (seconds).
std::unique_ptr<TFaxLine> MakeSipLine(const TLineOptions& options, std::string& error);

// The job list's words for a refused or failed call.
std::string SipFailureText(int status, const std::string& phrase);
