#include "rtp.h"

#include <algorithm>

extern "C" {
#include <spandsp.h>
}

std::vector<uint8_t> EncodeRtp(const TRtpPacket& packet)
{
    std::vector<uint8_t> out(12);
    out[0] = 0x80;
    out[1] = static_cast<uint8_t>((packet.Marker ? 0x80 : 0) | (packet.PayloadType & 0x7F));
    out[2] = static_cast<uint8_t>(packet.Seq >> 8);
    out[3] = static_cast<uint8_t>(packet.Seq);
    for (int i = 0; i < 4; ++i) {
        out[4 + i] = static_cast<uint8_t>(packet.Timestamp >> (24 - 8 * i));
        out[8 + i] = static_cast<uint8_t>(packet.Ssrc >> (24 - 8 * i));
    }
    out.insert(out.end(), packet.Payload.begin(), packet.Payload.end());
    return out;
}

bool DecodeRtp(const uint8_t* data, size_t size, TRtpPacket& packet)
{
    if (size < 12 || (data[0] >> 6) != 2)
        return false;
    size_t header = 12 + 4 * static_cast<size_t>(data[0] & 0x0F);
    if (data[0] & 0x10) {
        if (size < header + 4)
            return false;
        size_t words = (static_cast<size_t>(data[header + 2]) << 8) | data[header + 3];
        header += 4 + 4 * words;
    }
    if (size < header)
        return false;
    size_t end = size;
    if (data[0] & 0x20) {
        size_t padding = data[size - 1];
        if (padding == 0 || padding > end - header)
            return false;
        end -= padding;
    }
    packet.Marker = (data[1] & 0x80) != 0;
    packet.PayloadType = data[1] & 0x7F;
    packet.Seq = static_cast<uint16_t>((data[2] << 8) | data[3]);
    packet.Timestamp = (uint32_t(data[4]) << 24) | (uint32_t(data[5]) << 16) | (uint32_t(data[6]) << 8) | data[7];
    packet.Ssrc = (uint32_t(data[8]) << 24) | (uint32_t(data[9]) << 16) | (uint32_t(data[10]) << 8) | data[11];
    packet.Payload.assign(data + header, data + end);
    return true;
}

std::vector<uint8_t> EncodeG711(int payloadType, const int16_t* samples, size_t count)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = payloadType == RtpPcma ? linear_to_alaw(samples[i]) : linear_to_ulaw(samples[i]);
    return bytes;
}

void DecodeG711(int payloadType, const uint8_t* bytes, size_t count, int16_t* samples)
{
    for (size_t i = 0; i < count; ++i)
        samples[i] = payloadType == RtpPcma ? alaw_to_linear(bytes[i]) : ulaw_to_linear(bytes[i]);
}

void TPlayoutBuffer::Put(uint16_t seq, const int16_t* samples, size_t count)
{
    if (!Playing && Frames.empty())
        Next = seq;
    int distance = static_cast<int16_t>(seq - Next);
    if (distance < 0 && !Playing && -distance < 8 * Depth) {
        // Still filling: an earlier frame becomes the first to play.
        std::map<int, std::vector<int16_t>> shifted;
        for (auto& [held, frame] : Frames)
            shifted.emplace(held - distance, std::move(frame));
        Frames = std::move(shifted);
        Next = seq;
        distance = 0;
    }
    if (distance < 0) {
        ++LateCount;
        return;
    }
    if (distance >= 8 * Depth) {
        // The far end jumped (a new stream, a long gap): start again there.
        LostCount += static_cast<long>(Frames.size());
        Frames.clear();
        Next = seq;
        distance = 0;
        Playing = false;
    }
    std::vector<int16_t> frame(RtpFrameSamples, 0);
    std::copy_n(samples, std::min<size_t>(count, RtpFrameSamples), frame.begin());
    Frames[distance] = std::move(frame);
}

bool TPlayoutBuffer::Take(int16_t* samples)
{
    std::fill_n(samples, RtpFrameSamples, int16_t(0));
    if (!Playing) {
        if (Frames.empty() || Frames.rbegin()->first + 1 < Depth)
            return false;
        Playing = true;
    }
    if (Frames.empty()) {
        // Ran dry: fill again before playing on.
        Playing = false;
        return false;
    }
    auto first = Frames.find(0);
    if (first != Frames.end())
        std::copy(first->second.begin(), first->second.end(), samples);
    else
        ++LostCount;
    std::map<int, std::vector<int16_t>> shifted;
    for (auto& [distance, frame] : Frames)
        if (distance > 0)
            shifted.emplace(distance - 1, std::move(frame));
    Frames = std::move(shifted);
    ++Next;
    return true;
}
