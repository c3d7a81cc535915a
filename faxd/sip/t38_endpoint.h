#pragma once

// One end of a T.38 fax call: spandsp's T.38 terminal, whose packets travel
// in our UDPTL datagrams (redundancy out, redundancy or FEC in).

#include "t30_setup.h"
#include "udptl.h"

#include <functional>
#include <string>

class TT38Endpoint {
public:
    using TSend = std::function<void(const TBytes& datagram)>;

    // calling: we place the call (and send); depth: IFPs repeated per datagram.
    TT38Endpoint(bool calling, const std::string& ident, TSend send, int depth = 3);
    ~TT38Endpoint();
    TT38Endpoint(const TT38Endpoint&) = delete;
    TT38Endpoint& operator=(const TT38Endpoint&) = delete;

    bool Valid() const { return Terminal != nullptr; }
    t30_state_t* T30() const;

    // A datagram from the far end.
    void Datagram(const uint8_t* data, size_t size);
    // Lets time pass: samples at 8000 per second.
    void Advance(int samples);

    const TCallEnd& End() const { return CallEnd; }
    const TUdptlReceiver& Receiver() const { return In; }

private:
    static int OnPacket(t38_core_state_t* core, void* user, const uint8_t* buf, int len, int count);

    t38_terminal_state_t* Terminal = nullptr;
    TSend Send;
    TUdptlSender Out;
    TUdptlReceiver In;
    TCallEnd CallEnd;
};
