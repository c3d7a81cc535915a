#pragma once

// RTP for G.711 fax audio: the packet header, the two G.711 laws, and a small
// playout buffer that puts packets back in order and fills what is missing
// with silence.

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

// Payload types of the two laws (static RTP numbers).
constexpr int RtpPcmu = 0;
constexpr int RtpPcma = 8;
// Samples in one 20 ms packet at 8000 per second.
constexpr int RtpFrameSamples = 160;

struct TRtpPacket {
    int PayloadType = 0;
    bool Marker = false;
    uint16_t Seq = 0;
    uint32_t Timestamp = 0;
    uint32_t Ssrc = 0;
    std::vector<uint8_t> Payload;
};

std::vector<uint8_t> EncodeRtp(const TRtpPacket& packet);
// False for anything that is not an RTP version 2 packet whose CSRC list,
// header extension and padding fit in its size.
bool DecodeRtp(const uint8_t* data, size_t size, TRtpPacket& packet);

// G.711 of a block of samples by payload type (PCMU or PCMA).
std::vector<uint8_t> EncodeG711(int payloadType, const int16_t* samples, size_t count);
void DecodeG711(int payloadType, const uint8_t* bytes, size_t count, int16_t* samples);

// Holds up to Depth frames of audio so that a packet that comes a little late
// or out of order still plays in its place. Frames are played one per 20 ms;
// a frame that has not come when its turn is due plays as silence.
class TPlayoutBuffer {
public:
    explicit TPlayoutBuffer(int depth = 3) : Depth(depth) {}
    void Put(uint16_t seq, const int16_t* samples, size_t count);
    // The next 160 samples; false (and silence) while still filling.
    bool Take(int16_t* samples);
    long Lost() const { return LostCount; }
    long Late() const { return LateCount; }

private:
    int Depth;
    bool Playing = false;
    uint16_t Next = 0;
    std::map<int, std::vector<int16_t>> Frames;  // by distance from Next
    long LostCount = 0;
    long LateCount = 0;
};
