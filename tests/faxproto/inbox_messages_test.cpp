#include "faxproto/fax_messages.h"
#include "faxproto/inbox_messages.h"

#include <gtest/gtest.h>

// Every operation on received faxes reads back as it was written.
TEST(InboxMessages, EveryOperationRoundTrips) {
    for (const TInboxOperation& operation :
         {TInboxOperation(TInboxRequest{}), TInboxOperation(TMarkRequest{"12", false}),
          TInboxOperation(TDeleteRequest{"3"}), TInboxOperation(TForwardRequest{"4", {"0312345678", "0612345678"}}),
          TInboxOperation(TReceiveRequest{"/home/山田/\"見積\".pdf", "0312345678"})}) {
        TInboxOperation back;
        std::string error;
        std::string line = EncodeInboxRequest(operation);
        ASSERT_EQ(DecodeInboxRequest(line, back, error), idDecoded) << line << ": " << error;
        EXPECT_EQ(back, operation) << line;
    }
    TInboxFax fax{"7", "2026-12-09T10:00:00", "Pelmor \"A\"", "0312345678", 3, "hylafax", false, true, "x"};
    std::optional<TFaxAnswer> answer = DecodeAnswer(EncodeAnswer(TInboxAnswer{{fax}}));
    ASSERT_TRUE(answer && answer->Ok);
    fax.Source.clear();  // the service's own business, not listed
    EXPECT_EQ(ReadInboxAnswer(answer->Object), TInboxAnswer{{fax}});
    EXPECT_EQ(DecodeFaxEvent(EncodeFaxEvent(fax)), fax);
    EXPECT_EQ(DecodeFaxEvent(R"({"event":"job","id":"1"})"), std::nullopt);
}

// Lines of other operations are left to their reader; lines of these that
// are malformed are refused with a reason.
TEST(InboxMessages, TellsOtherOperationsFromMalformedOnes) {
    const struct {
        const char* Line;
        TInboxDecode Result;
        const char* Error;
    } cases[] = {
        {R"({"op":"jobs"})", idOther, ""},
        {R"(not json)", idOther, ""},
        {R"({"op":"mark","id":"1"})", idRefused, "read must be true or false"},
        {R"({"op":"mark","id":"../1","read":true})", idRefused, "no such fax"},
        {R"({"op":"delete"})", idRefused, "no such fax"},
        {R"({"op":"forward","id":"1","recipients":["03-1234"]})", idRefused,
         "invalid fax number: only ASCII digits are allowed"},
        {R"({"op":"forward","id":"1","recipients":[]})", idRefused, "no recipients"},
        {R"({"op":"receive","body":"/tmp/a.txt","from":""})", idRefused,
         "invalid sender number: only ASCII digits are allowed"},
        {R"({"op":"delete","id":5})", idDecoded, ""},
    };
    for (const auto& c : cases) {
        TInboxOperation operation;
        std::string error;
        EXPECT_EQ(DecodeInboxRequest(c.Line, operation, error), c.Result) << c.Line;
        EXPECT_EQ(error, c.Error) << c.Line;
    }
}
