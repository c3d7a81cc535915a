#include "udptl.h"

namespace {

// Lengths are PER length determinants: one byte below 128, two bytes (top
// bits 10) below 16384. Fragmented lengths are never needed for fax and are
// refused.
void PutLength(TBytes& out, size_t length)
{
    if (length < 0x80) {
        out.push_back(static_cast<uint8_t>(length));
    } else {
        out.push_back(static_cast<uint8_t>(0x80 | (length >> 8)));
        out.push_back(static_cast<uint8_t>(length & 0xFF));
    }
}

void PutField(TBytes& out, const TBytes& field)
{
    PutLength(out, field.size());
    out.insert(out.end(), field.begin(), field.end());
}

class TReader {
public:
    TReader(const uint8_t* data, size_t size) : Data(data), Size(size) {}
    bool Byte(uint8_t& value)
    {
        if (Pos >= Size)
            return false;
        value = Data[Pos++];
        return true;
    }
    bool Length(size_t& length)
    {
        uint8_t first = 0, second = 0;
        if (!Byte(first))
            return false;
        if ((first & 0x80) == 0) {
            length = first;
            return true;
        }
        if ((first & 0xC0) != 0x80 || !Byte(second))
            return false;
        length = (static_cast<size_t>(first & 0x3F) << 8) | second;
        return true;
    }
    bool Field(TBytes& field)
    {
        size_t length = 0;
        if (!Length(length) || length > Size - Pos)
            return false;
        field.assign(Data + Pos, Data + Pos + length);
        Pos += length;
        return true;
    }
    bool AtEnd() const { return Pos == Size; }

private:
    const uint8_t* Data;
    size_t Size;
    size_t Pos = 0;
};

constexpr size_t MaxHistory = 64;
constexpr int MaxFecEntries = 16;
constexpr int MaxFecSpan = 16;

} // namespace

TBytes EncodeUdptl(const TUdptlPacket& packet)
{
    TBytes out;
    out.push_back(static_cast<uint8_t>(packet.Seq >> 8));
    out.push_back(static_cast<uint8_t>(packet.Seq & 0xFF));
    PutField(out, packet.Primary);
    if (!packet.Fec) {
        out.push_back(0x00);
        PutLength(out, packet.Secondary.size());
        for (const TBytes& ifp : packet.Secondary)
            PutField(out, ifp);
    } else {
        out.push_back(0x80);
        out.push_back(1);
        out.push_back(static_cast<uint8_t>(packet.FecSpan));
        PutLength(out, packet.FecEntries.size());
        for (const TBytes& entry : packet.FecEntries)
            PutField(out, entry);
    }
    return out;
}

bool DecodeUdptl(const uint8_t* data, size_t size, TUdptlPacket& packet)
{
    packet = TUdptlPacket();
    TReader in(data, size);
    uint8_t high = 0, low = 0, choice = 0;
    if (!in.Byte(high) || !in.Byte(low) || !in.Field(packet.Primary) || !in.Byte(choice))
        return false;
    packet.Seq = static_cast<uint16_t>((high << 8) | low);
    size_t count = 0;
    if (choice == 0x00) {
        if (!in.Length(count) || count > size)
            return false;
        packet.Secondary.resize(count);
        for (TBytes& ifp : packet.Secondary)
            if (!in.Field(ifp))
                return false;
    } else if (choice == 0x80) {
        size_t spanLength = 0;
        uint8_t spanByte = 0;
        if (!in.Length(spanLength) || spanLength != 1 || !in.Byte(spanByte) || !in.Length(count))
            return false;
        if (spanByte < 1 || spanByte > MaxFecSpan || count < 1 || count > MaxFecEntries)
            return false;
        packet.Fec = true;
        packet.FecSpan = spanByte;
        packet.FecEntries.resize(count);
        for (TBytes& entry : packet.FecEntries)
            if (!in.Field(entry))
                return false;
    } else {
        return false;
    }
    return in.AtEnd();
}

std::vector<uint16_t> FecCoveredSeqs(uint16_t seq, int entries, int span, int entry)
{
    std::vector<uint16_t> seqs;
    for (int k = 0; k < span; ++k)
        seqs.push_back(static_cast<uint16_t>(seq - entries * span + entry + k * entries));
    return seqs;
}

TBytes TUdptlSender::Next(const uint8_t* ifp, size_t size)
{
    TUdptlPacket packet;
    packet.Seq = Seq++;
    packet.Primary.assign(ifp, ifp + size);
    packet.Secondary.assign(Recent.begin(), Recent.end());
    Recent.push_front(packet.Primary);
    if (static_cast<int>(Recent.size()) > Depth)
        Recent.pop_back();
    return EncodeUdptl(packet);
}

void TUdptlReceiver::Store(uint16_t seq, const TBytes& ifp, bool recovered)
{
    auto distance = static_cast<int16_t>(seq - Expected);
    if (distance < 0 || Pending.count(seq))
        return;
    Pending.emplace(seq, ifp);
    if (recovered)
        ++RecoveredCount;
}

void TUdptlReceiver::RecoverByFec(const TUdptlPacket& packet)
{
    int entries = static_cast<int>(packet.FecEntries.size());
    for (int i = 0; i < entries; ++i) {
        std::vector<uint16_t> covered = FecCoveredSeqs(packet.Seq, entries, packet.FecSpan, i);
        int missing = -1;
        int missingCount = 0;
        for (uint16_t seq : covered) {
            if (!Pending.count(seq) && !History.count(seq)) {
                missing = seq;
                ++missingCount;
            }
        }
        if (missingCount != 1)
            continue;
        TBytes restored = packet.FecEntries[i];
        for (uint16_t seq : covered) {
            if (seq == missing)
                continue;
            const TBytes& other = Pending.count(seq) ? Pending[seq] : History[seq];
            for (size_t b = 0; b < other.size() && b < restored.size(); ++b)
                restored[b] ^= other[b];
        }
        Store(static_cast<uint16_t>(missing), restored, true);
    }
}

void TUdptlReceiver::Release(std::vector<TIfp>& ready, bool skipGap)
{
    for (;;) {
        auto next = Pending.find(Expected);
        if (next == Pending.end()) {
            if (!skipGap || Pending.empty())
                return;
            // Lost for good: move on to the nearest IFP held.
            uint16_t nearest = Expected;
            int best = 0x10000;
            for (const auto& [seq, data] : Pending) {
                int distance = static_cast<uint16_t>(seq - Expected);
                if (distance < best) {
                    best = distance;
                    nearest = seq;
                }
            }
            Expected = nearest;
            next = Pending.find(Expected);
        }
        ready.push_back({Expected, next->second});
        History[Expected] = std::move(next->second);
        HistoryOrder.push_back(Expected);
        if (HistoryOrder.size() > MaxHistory) {
            History.erase(HistoryOrder.front());
            HistoryOrder.pop_front();
        }
        Pending.erase(next);
        ++Expected;
    }
}

bool TUdptlReceiver::Receive(const uint8_t* data, size_t size, std::vector<TIfp>& ready)
{
    TUdptlPacket packet;
    if (!DecodeUdptl(data, size, packet))
        return false;
    ++AcceptedCount;
    if (!Started) {
        Started = true;
        Expected = static_cast<uint16_t>(packet.Seq - (packet.Fec ? 0 : packet.Secondary.size()));
    }
    Store(packet.Seq, packet.Primary, false);
    int reach = 0;  // how far back this datagram can restore
    if (packet.Fec) {
        RecoverByFec(packet);
        reach = static_cast<int>(packet.FecEntries.size()) * packet.FecSpan;
    } else {
        for (size_t i = 0; i < packet.Secondary.size(); ++i)
            Store(static_cast<uint16_t>(packet.Seq - 1 - i), packet.Secondary[i], true);
        reach = static_cast<int>(packet.Secondary.size());
    }
    // A gap older than what this datagram could restore will never fill.
    bool skipGap = static_cast<int16_t>(packet.Seq - Expected) > reach;
    Release(ready, skipGap);
    return true;
}
