#pragma once

// The SIP user agent of the SIP line: sofia-sip's nua on a thread of its own
// with its own event loop. It registers the account (with digest
// authentication), places and answers calls, and handles re-INVITEs that move
// a call between G.711 audio and T.38. Every nua call is made on that thread;
// other threads post work to it and watch a call through TSipCall.

#include "sdp.h"
#include "sip_settings.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

enum TSipCallPhase {
    cpDialling,  // INVITE sent, no answer yet
    cpRinging,   // the far side rings
    cpUp,        // answered; media flows
    cpEnded      // over: EndStatus says how
};

// Our side of a call's media: where we listen and what we accept.
struct TSipLocalMedia {
    std::string Address;
    int AudioPort = 0;
    int T38Port = 0;
    bool AllowT38 = true;
};

// One call, shared between the agent's thread and the thread running its fax.
struct TSipCall {
    std::mutex Guard;
    std::condition_variable Changed;

    bool Incoming = false;
    std::string Caller;      // the caller's user part, for incoming calls
    TSipCallPhase Phase = cpDialling;
    TSipLocalMedia Local;
    TSdpChoice Media;        // what flows now
    int MediaVersion = 0;    // grows with every change of Media
    int EndStatus = 0;       // SIP status of a failed call (486, 408...), 0 when ended normally
    std::string EndText;     // the reason phrase
    bool AuthFailed = false; // the server refused our credentials
    bool HungUpByFarEnd = false;
    bool T38Refused = false; // our T.38 re-INVITE was refused (RefusesMedia)
    int AuthTries = 0;       // agent thread only
    void* Handle = nullptr;  // nua_handle_t*, agent thread only
    bool ByeWanted = false;  // agent thread only: hang up as soon as it can
};

class TSipAgent {
public:
    // Offered an incoming call: fills local with the media ports to answer on
    // and returns true, or false to answer busy (486).
    using TIncoming = std::function<bool(const std::shared_ptr<TSipCall>& call, TSipLocalMedia& local)>;

    TSipAgent();
    ~TSipAgent();
    TSipAgent(const TSipAgent&) = delete;
    TSipAgent& operator=(const TSipAgent&) = delete;

    // Starts the thread and the registration; false with an error when the
    // stack cannot start (port taken, bad server).
    bool Start(const TSipSettings& settings, TIncoming incoming, std::string& error);
    void Stop();

    // Waits up to timeout for the registration's outcome; false when not
    // registered, with authFailed telling a refused password apart. A
    // registration that failed otherwise (server away) is tried again first.
    bool WaitRegistered(std::chrono::milliseconds timeout, bool& authFailed, std::string& error);

    // The address our calls and media use (towards the server).
    std::string LocalAddress() const { return Local; }

    // Calls number offering G.711 audio, or T.38 alone when t38.
    std::shared_ptr<TSipCall> Invite(const std::string& number, const TSipLocalMedia& local, bool t38);
    // Asks the far side to move the call to T.38.
    void OfferT38(const std::shared_ptr<TSipCall>& call);
    // CANCEL while it rings, BYE once up.
    void Hangup(const std::shared_ptr<TSipCall>& call);

private:
    struct TImpl;
    void Post(std::function<void()> work);

    std::unique_ptr<TImpl> Impl;
    std::string Local;
};

// True for the SIP answers that refuse the media offered (488, 415, 606),
// after which the call can be tried again with other media.
inline bool RefusesMedia(int status)
{
    return status == 488 || status == 415 || status == 606;
}

// The outward-facing address of this machine towards host (the source
// address a datagram to it would carry); empty when there is no route.
std::string LocalAddressTowards(const std::string& host);
