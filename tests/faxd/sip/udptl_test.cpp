#include "udptl.h"

#include <gtest/gtest.h>

namespace {

TBytes Ifp(int n, size_t size = 5)
{
    TBytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(n * 31 + i);
    return bytes;
}

std::vector<uint16_t> Seqs(const std::vector<TUdptlReceiver::TIfp>& ifps)
{
    std::vector<uint16_t> seqs;
    for (const auto& ifp : ifps)
        seqs.push_back(ifp.Seq);
    return seqs;
}

} // namespace

TEST(Udptl, PacketsSurviveEncodingAndEveryTruncationIsRefused)
{
    TUdptlPacket redundant;
    redundant.Seq = 0xFFFE;
    redundant.Primary = Ifp(1, 300);  // needs a two-byte length
    redundant.Secondary = {Ifp(2), Ifp(3, 0), Ifp(4, 200)};
    TUdptlPacket fec;
    fec.Seq = 7;
    fec.Primary = Ifp(5);
    fec.Fec = true;
    fec.FecSpan = 3;
    fec.FecEntries = {Ifp(6), Ifp(7, 9)};

    for (const TUdptlPacket& packet : {redundant, fec}) {
        TBytes wire = EncodeUdptl(packet);
        TUdptlPacket back;
        ASSERT_TRUE(DecodeUdptl(wire.data(), wire.size(), back));
        EXPECT_EQ(back.Seq, packet.Seq);
        EXPECT_EQ(back.Primary, packet.Primary);
        EXPECT_EQ(back.Secondary, packet.Secondary);
        EXPECT_EQ(back.Fec, packet.Fec);
        EXPECT_EQ(back.FecSpan, packet.FecSpan);
        EXPECT_EQ(back.FecEntries, packet.FecEntries);
        for (size_t cut = 0; cut < wire.size(); ++cut)
            EXPECT_FALSE(DecodeUdptl(wire.data(), cut, back)) << "cut at " << cut;
        wire.push_back(0);
        EXPECT_FALSE(DecodeUdptl(wire.data(), wire.size(), back)) << "trailing byte";
    }
}

TEST(Udptl, RedundancyRestoresLostDatagramsInOrderAndSkipsWhatNoneCarries)
{
    TUdptlSender sender(3);
    std::vector<TBytes> wire;
    for (int n = 0; n < 12; ++n) {
        TBytes ifp = Ifp(n);
        wire.push_back(sender.Next(ifp.data(), ifp.size()));
    }
    TUdptlReceiver receiver;
    std::vector<TUdptlReceiver::TIfp> ready;
    // 1 and 2 are lost (3 carries them); 5..8 are lost (9 carries only 6..8).
    for (int n : {0, 3, 4, 9, 10, 11, 10})
        ASSERT_TRUE(receiver.Receive(wire[n].data(), wire[n].size(), ready));
    EXPECT_EQ(Seqs(ready), (std::vector<uint16_t>{0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(ready[1].Data, Ifp(1));
    EXPECT_EQ(ready[5].Data, Ifp(6));
    EXPECT_EQ(receiver.Recovered(), 5);
}

TEST(Udptl, FecParityRestoresTheOneMissingPacketOfItsGroup)
{
    const int entries = 2, span = 3;
    auto datagram = [&](uint16_t seq) {
        TUdptlPacket packet;
        packet.Seq = seq;
        packet.Primary = Ifp(seq, 7);
        packet.Fec = true;
        packet.FecSpan = span;
        for (int e = 0; e < entries; ++e) {
            TBytes parity(7, 0);
            for (uint16_t covered : FecCoveredSeqs(seq, entries, span, e)) {
                TBytes ifp = Ifp(covered, 7);
                for (size_t i = 0; i < parity.size(); ++i)
                    parity[i] ^= ifp[i];
            }
            packet.FecEntries.push_back(parity);
        }
        return EncodeUdptl(packet);
    };
    TUdptlReceiver receiver;
    std::vector<TUdptlReceiver::TIfp> ready;
    for (uint16_t seq : {4, 5, 6, 8, 9}) {
        TBytes wire = datagram(seq);
        ASSERT_TRUE(receiver.Receive(wire.data(), wire.size(), ready));
    }
    // 7's groups still miss another packet each: it is held back, 8 and 9 wait.
    EXPECT_EQ(Seqs(ready), (std::vector<uint16_t>{4, 5, 6}));
    TBytes wire = datagram(10);
    ASSERT_TRUE(receiver.Receive(wire.data(), wire.size(), ready));
    ASSERT_EQ(Seqs(ready), (std::vector<uint16_t>{4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(ready[3].Data, Ifp(7, 7));
}
