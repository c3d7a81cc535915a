// libFuzzer entry for the SIP line's parsers. FUZZ_PARSER picks one:
// 1 UDPTL (a datagram, then the same bytes cut into datagrams for a receiver),
// 2 RTP (with the playout buffer), 3 SDP (parse, answer, format, parse again).
#include "rtp.h"
#include "sdp.h"
#include "udptl.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
#if FUZZ_PARSER == 1
    TUdptlPacket packet;
    if (DecodeUdptl(data, size, packet)) {
        TBytes again = EncodeUdptl(packet);
        TUdptlPacket back;
        if (!DecodeUdptl(again.data(), again.size(), back) || back.Primary != packet.Primary)
            std::abort();
    }
    // The first byte of each chunk gives its length: a stream of datagrams.
    TUdptlReceiver receiver;
    std::vector<TUdptlReceiver::TIfp> ready;
    size_t pos = 0;
    while (pos < size) {
        size_t length = std::min<size_t>(data[pos], size - pos - 1);
        receiver.Receive(data + pos + 1, length, ready);
        pos += 1 + length;
    }
#elif FUZZ_PARSER == 2
    TRtpPacket packet;
    TPlayoutBuffer buffer(3);
    size_t pos = 0;
    while (pos < size) {
        size_t length = std::min<size_t>(data[pos], size - pos - 1);
        if (DecodeRtp(data + pos + 1, length, packet)) {
            std::vector<int16_t> samples(packet.Payload.size());
            DecodeG711(packet.PayloadType, packet.Payload.data(), packet.Payload.size(), samples.data());
            buffer.Put(packet.Seq, samples.data(), samples.size());
            int16_t out[RtpFrameSamples];
            buffer.Take(out);
        }
        pos += 1 + length;
    }
#elif FUZZ_PARSER == 3
    std::string text(reinterpret_cast<const char*>(data), size);
    TSdp offer;
    if (ParseSdp(text, offer)) {
        TSdp answer;
        TSdpChoice choice;
        if (AnswerSdp(offer, "127.0.0.1", 4000, 4002, true, 2, answer, choice)) {
            TSdp back;
            if (!ParseSdp(FormatSdp(answer), back) || !ReadSdpAnswer(back, choice))
                std::abort();
        }
    }
#endif
    return 0;
}
