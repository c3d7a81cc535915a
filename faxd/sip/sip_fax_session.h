#pragma once

#include "rtp.h"
#include "sip_agent.h"
#include "t38_endpoint.h"
#include "udp_socket.h"

#include <atomic>
#include <memory>
#include <string>

// How a call's fax went.
struct TSipFaxResult {
    bool Completed = false;  // T.30 ended without error
    bool HungUp = false;     // the far side hung up first
    std::string Error;
    int Pages = 0;           // pages sent (sending) or received (receiving)
    int BitRate = 0;
    bool T38 = false;        // the media the fax ran on at its end
    std::string StationId;   // the id the far fax machine announced
    double Seconds = 0;      // time from answer to the end
};

// The media of one fax call: G.711 audio through spandsp's fax modems, or
// T.38 through its T.38 terminal, switching when the call's media changes.
class TSipFaxSession {
public:
    // sending: we placed the call and send tiff; otherwise we answered and
    // write what we receive to tiff.
    TSipFaxSession(bool sending, std::string tiff, std::string ident);
    ~TSipFaxSession();

    // Opens the audio and T.38 ports on address.
    bool Open(const std::string& address, bool allowT38, std::string& error);
    const TSipLocalMedia& Local() const { return LocalMedia; }

    // Runs the fax over the call until T.30 ends, the call ends or stop is
    // set; hangs up when it is our turn. offerT38: ask for T.38 once up.
    TSipFaxResult Run(TSipAgent& agent, const std::shared_ptr<TSipCall>& call, bool offerT38,
                      const std::atomic<bool>& stop);

private:
    void UseMedia(const TSdpChoice& media);
    void Tick();
    void Drain();
    t30_state_t* T30() const;
    const TCallEnd* End() const;

    bool Sending;
    std::string Tiff;
    std::string Ident;
    TSipLocalMedia LocalMedia;
    TUdpSocket Audio;
    TUdpSocket T38Port;

    fax_state_t* AudioFax = nullptr;
    TCallEnd AudioEnd;
    int PayloadType = RtpPcmu;
    TPlayoutBuffer Playout;
    TRtpPacket Outgoing;
    std::unique_ptr<TT38Endpoint> T38;
};
