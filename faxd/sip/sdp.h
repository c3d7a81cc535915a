#pragma once

// Session descriptions of a fax call: G.711 audio over RTP, or T.38 over
// UDPTL (`m=image PORT udptl t38`) with its attributes.

#include <string>
#include <vector>

enum TSdpMediaKind { smAudio, smImage, smOther };

struct TT38Params {
    int Version = 0;
    int MaxBitRate = 14400;
    std::string RateManagement = "transferredTCF";
    int MaxBuffer = 0;       // 0: not stated
    int MaxDatagram = 0;     // 0: not stated
    std::string ErrorCorrection = "t38UDPRedundancy";  // or t38UDPFEC, or empty
};

struct TSdpMedia {
    TSdpMediaKind Kind = smOther;
    std::string Name;        // as written: audio, image, video...
    int Port = 0;            // 0: refused or disabled
    std::string Protocol;    // RTP/AVP, udptl...
    std::vector<std::string> Formats;
    std::string Address;     // c= of the media, empty when the session's holds
    TT38Params T38;
};

struct TSdp {
    std::string Origin = "pelmor";
    unsigned long long SessionId = 1;
    unsigned long long Version = 1;
    std::string Address;     // the session's c= address
    std::vector<TSdpMedia> Media;

    // The address media is sent to.
    std::string MediaAddress(const TSdpMedia& media) const
    {
        return media.Address.empty() ? Address : media.Address;
    }
};

// False when the text lacks what a fax call needs to read it (v=, a c= for
// every media line in use, well-formed m= lines).
bool ParseSdp(const std::string& text, TSdp& sdp);
std::string FormatSdp(const TSdp& sdp);

// The G.711 payload types we take (0 PCMU, 8 PCMA), in the order offered.
std::vector<int> OfferedG711(const TSdpMedia& media);

// Offers G.711 audio (PCMU, PCMA) on audioPort.
TSdp MakeAudioOffer(const std::string& address, int audioPort, unsigned long long version);
// Offers T.38 on t38Port (the re-INVITE that moves a call to fax).
TSdp MakeT38Offer(const std::string& address, int t38Port, unsigned long long version, const TT38Params& params);

// What we answer to an offer: the first usable stream (T.38 when allowT38 and
// offered with a port; otherwise G.711), every other m= line refused with
// port 0. False when nothing usable is offered (answer 488).
struct TSdpChoice {
    bool T38 = false;
    int PayloadType = -1;  // for audio
    std::string RemoteAddress;
    int RemotePort = 0;
    TT38Params RemoteT38;
};
bool AnswerSdp(const TSdp& offer, const std::string& address, int audioPort, int t38Port, bool allowT38,
               unsigned long long version, TSdp& answer, TSdpChoice& choice);

// Reads the far side's answer to our offer; false when it accepts nothing.
bool ReadSdpAnswer(const TSdp& answer, TSdpChoice& choice);
