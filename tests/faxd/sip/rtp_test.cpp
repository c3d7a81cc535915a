#include "rtp.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Rtp, HeaderWithCsrcExtensionAndPaddingYieldsOnlyThePayload)
{
    std::vector<uint8_t> wire = {0xB2, 0x88, 0x12, 0x34, 0, 0, 1, 0, 0xDE, 0xAD, 0xBE, 0xEF,
                                 1, 2, 3, 4, 5, 6, 7, 8,        // two CSRCs
                                 0xBE, 0xDE, 0, 1, 9, 9, 9, 9,  // a one-word extension
                                 0x55, 0x66, 0, 0, 3};          // payload, then 3 bytes of padding
    TRtpPacket packet;
    ASSERT_TRUE(DecodeRtp(wire.data(), wire.size(), packet));
    EXPECT_EQ(packet.PayloadType, RtpPcma);
    EXPECT_TRUE(packet.Marker);
    EXPECT_EQ(packet.Seq, 0x1234);
    EXPECT_EQ(packet.Timestamp, 256u);
    EXPECT_EQ(packet.Ssrc, 0xDEADBEEFu);
    EXPECT_EQ(packet.Payload, (std::vector<uint8_t>{0x55, 0x66}));

    wire.back() = 6;  // padding reaching into the header
    EXPECT_FALSE(DecodeRtp(wire.data(), wire.size(), packet));
    wire[0] = 0x40;   // version 1
    EXPECT_FALSE(DecodeRtp(wire.data(), wire.size(), packet));
}

TEST(Rtp, EachLawKeepsASineWithinItsQuantisation)
{
    int16_t tone[RtpFrameSamples];
    for (int i = 0; i < RtpFrameSamples; ++i)
        tone[i] = static_cast<int16_t>(12000 * std::sin(i * 2 * M_PI * 1100 / 8000));
    for (int law : {RtpPcmu, RtpPcma}) {
        std::vector<uint8_t> bytes = EncodeG711(law, tone, RtpFrameSamples);
        int16_t back[RtpFrameSamples];
        DecodeG711(law, bytes.data(), bytes.size(), back);
        for (int i = 0; i < RtpFrameSamples; ++i)
            ASSERT_LE(std::abs(back[i] - tone[i]), std::abs(tone[i]) / 16 + 16) << "law " << law << " at " << i;
    }
    int16_t loud = 8000;
    EXPECT_NE(EncodeG711(RtpPcmu, &loud, 1), EncodeG711(RtpPcma, &loud, 1));
}

TEST(Rtp, PlayoutPutsFramesBackInOrderAndPlaysSilenceForALostOne)
{
    TPlayoutBuffer buffer(3);
    auto frame = [](int16_t value) { return std::vector<int16_t>(RtpFrameSamples, value); };
    int16_t out[RtpFrameSamples];
    buffer.Put(101, frame(2).data(), RtpFrameSamples);
    EXPECT_FALSE(buffer.Take(out));  // still filling
    buffer.Put(100, frame(1).data(), RtpFrameSamples);
    buffer.Put(103, frame(4).data(), RtpFrameSamples);  // 102 is lost
    std::vector<int16_t> played;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(buffer.Take(out));
        played.push_back(out[0]);
    }
    EXPECT_EQ(played, (std::vector<int16_t>{1, 2, 0, 4}));
    EXPECT_EQ(buffer.Lost(), 1);
    buffer.Put(102, frame(3).data(), RtpFrameSamples);  // too late now
    EXPECT_EQ(buffer.Late(), 1);
}
