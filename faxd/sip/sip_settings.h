#pragma once

#include <chrono>
#include <string>

// How T.38 is used: ask for it (always), take it when the far side asks and
// ask for it when answering (auto), or stay on G.711 audio (never).
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
