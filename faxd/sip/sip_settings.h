#pragma once

#include <chrono>
#include <string>

// How T.38 is used. auto: calls start on G.711 audio; T.38 is taken when the
// far side asks for it, and asked for (re-INVITE) when we answer a call.
// always: as auto, but our calls offer T.38 from the start, and call again
// on audio when the far side refuses it. never: G.711 audio only.
enum TT38Mode { tmAuto, tmAlways, tmNever };

// What the SIP line needs to reach its server and place calls.
struct TSipSettings {
    std::string Server;           // host or host:port of the registrar and proxy
    std::string User;             // the account; also the digest user name
    std::string Password;         // from the config file only
    std::string Transport = "udp";  // udp or tcp
    TT38Mode T38 = tmAuto;
    int LocalPort = 5062;         // our SIP port; 0 picks a free one
    std::chrono::seconds RingTime{60};  // a call not answered by then has no answer
};
