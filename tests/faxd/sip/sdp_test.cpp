#include "sdp.h"

#include <gtest/gtest.h>

namespace {

const char* Offer = "v=0\r\n"
                    "o=- 99 3 IN IP4 192.0.2.1\r\n"
                    "s=-\r\n"
                    "c=IN IP4 192.0.2.1\r\n"
                    "t=0 0\r\n"
                    "m=video 5000 RTP/AVP 31\r\n"
                    "m=audio 6000 RTP/AVP 18 8 0 101\r\n"
                    "m=image 7000 udptl t38\r\n"
                    "c=IN IP4 192.0.2.9\r\n"
                    "a=T38FaxVersion:0\r\n"
                    "a=T38MaxBitRate:33600\r\n"
                    "a=T38FaxRateManagement:transferredTCF\r\n"
                    "a=T38FaxMaxDatagram:400\r\n"
                    "a=T38FaxUdpEC:t38UDPFEC\r\n";

} // namespace

TEST(Sdp, AnswerTakesT38WhenAllowedElseTheFirstOfferedLawAndRefusesTheRest)
{
    TSdp offer;
    ASSERT_TRUE(ParseSdp(Offer, offer));
    ASSERT_EQ(offer.Media.size(), 3u);
    EXPECT_EQ(offer.Media[2].T38.MaxDatagram, 400);
    EXPECT_EQ(offer.Media[2].T38.ErrorCorrection, "t38UDPFEC");

    struct {
        bool AllowT38;
        bool T38;
        int PayloadType;
        std::string Address;
        int Port;
        size_t Chosen;
    } cases[] = {{true, true, -1, "192.0.2.9", 7000, 2}, {false, false, 8, "192.0.2.1", 6000, 1}};
    for (const auto& c : cases) {
        TSdp answer;
        TSdpChoice choice;
        ASSERT_TRUE(AnswerSdp(offer, "127.0.0.1", 40000, 40002, c.AllowT38, 5, answer, choice));
        EXPECT_EQ(choice.T38, c.T38);
        EXPECT_EQ(choice.PayloadType, c.PayloadType);
        EXPECT_EQ(choice.RemoteAddress, c.Address);
        EXPECT_EQ(choice.RemotePort, c.Port);
        // Read back as the far side reads it: one stream in use, in the offer's order.
        TSdp back;
        ASSERT_TRUE(ParseSdp(FormatSdp(answer), back));
        ASSERT_EQ(back.Media.size(), 3u);
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(back.Media[i].Port != 0, i == c.Chosen) << i;
        if (c.T38) {
            EXPECT_EQ(back.Media[2].T38.MaxBitRate, 14400);
            EXPECT_EQ(back.Media[2].T38.ErrorCorrection, "t38UDPRedundancy");
        } else {
            EXPECT_EQ(back.Media[1].Formats, (std::vector<std::string>{"8"}));
        }
        TSdpChoice read;
        ASSERT_TRUE(ReadSdpAnswer(back, read));
        EXPECT_EQ(read.T38, c.T38);
        EXPECT_EQ(read.RemotePort, c.T38 ? 40002 : 40000);
    }
}

TEST(Sdp, NothingUsableOrMalformedIsRefused)
{
    TSdp sdp;
    EXPECT_FALSE(ParseSdp("o=- 1 1 IN IP4 1.2.3.4\r\nm=audio 1 RTP/AVP 0\r\n", sdp));  // no v=
    EXPECT_FALSE(ParseSdp("v=0\r\nm=audio 1 RTP/AVP 0\r\n", sdp));                       // no address
    EXPECT_FALSE(ParseSdp("v=0\r\nc=IN IP4 1.2.3.4\r\nm=audio x RTP/AVP 0\r\n", sdp));  // bad port
    ASSERT_TRUE(ParseSdp("v=0\r\nc=IN IP4 1.2.3.4\r\nm=audio 9 RTP/AVP 18\r\nm=image 0 udptl t38\r\n", sdp));
    TSdp answer;
    TSdpChoice choice;
    EXPECT_FALSE(AnswerSdp(sdp, "127.0.0.1", 1, 2, true, 1, answer, choice));
    EXPECT_FALSE(ReadSdpAnswer(sdp, choice));
}
