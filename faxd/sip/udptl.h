#pragma once

// UDPTL, the datagram framing that carries T.38 fax packets (IFPs) over UDP.
// Each datagram holds a sequence number, one primary IFP and error recovery:
// either copies of the previous IFPs (redundancy) or XOR parity over earlier
// IFPs (FEC). We send with redundancy; we take either.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

using TBytes = std::vector<uint8_t>;

struct TUdptlPacket {
    uint16_t Seq = 0;
    TBytes Primary;
    bool Fec = false;
    // Redundancy: the IFPs of Seq-1, Seq-2, ... in that order.
    std::vector<TBytes> Secondary;
    // FEC: FecEntries.size() parity entries, each over FecSpan packets.
    int FecSpan = 0;
    std::vector<TBytes> FecEntries;
};

// The wire form; false when bytes are not a whole, well-formed datagram.
TBytes EncodeUdptl(const TUdptlPacket& packet);
bool DecodeUdptl(const uint8_t* data, size_t size, TUdptlPacket& packet);

// Which earlier sequence numbers FEC entry `entry` of the packet `seq` covers:
// with E entries over a span of S, entry i covers seq - E*S + i + k*E, k < S.
std::vector<uint16_t> FecCoveredSeqs(uint16_t seq, int entries, int span, int entry);

// Builds outgoing datagrams: each carries the new IFP and the Depth before it.
class TUdptlSender {
public:
    explicit TUdptlSender(int depth = 3) : Depth(depth) {}
    TBytes Next(const uint8_t* ifp, size_t size);
    uint16_t NextSeq() const { return Seq; }

private:
    int Depth;
    uint16_t Seq = 0;
    std::deque<TBytes> Recent;  // newest first
};

// Takes incoming datagrams in any order and hands out each IFP once, in
// sequence order, with its sequence number; IFPs that no datagram or
// recovery could supply are skipped (the T.38 layer notices the gap).
class TUdptlReceiver {
public:
    struct TIfp {
        uint16_t Seq;
        TBytes Data;
    };
    // False when the datagram is malformed (it is then ignored).
    bool Receive(const uint8_t* data, size_t size, std::vector<TIfp>& ready);
    // Datagrams accepted and IFPs restored from redundancy or FEC.
    long Accepted() const { return AcceptedCount; }
    long Recovered() const { return RecoveredCount; }

private:
    void Store(uint16_t seq, const TBytes& ifp, bool recovered);
    void Release(std::vector<TIfp>& ready, bool force);
    void RecoverByFec(const TUdptlPacket& packet);

    bool Started = false;
    uint16_t Expected = 0;                // next sequence number to hand out
    std::map<uint16_t, TBytes> Pending;   // received ahead of Expected, by distance
    std::map<uint16_t, TBytes> History;   // recent IFPs handed out, for FEC
    std::deque<uint16_t> HistoryOrder;
    long AcceptedCount = 0;
    long RecoveredCount = 0;
};
