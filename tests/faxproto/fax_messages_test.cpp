#include "faxproto/fax_messages.h"

#include <gtest/gtest.h>

namespace {

// What the other side reads back from a request line.
TFaxRequest RoundTrip(const TFaxRequest& request) {
    TFaxRequest back;
    std::string error;
    EXPECT_TRUE(DecodeRequest(EncodeRequest(request), back, error)) << error;
    return back;
}

TJsonValue AnswerObject(const std::string& line) {
    std::optional<TFaxAnswer> answer = DecodeAnswer(line);
    EXPECT_TRUE(answer && answer->Ok) << line;
    return answer ? answer->Object : TJsonValue();
}

} // namespace

// Every operation, request and answer, reads back as it was written, with
// texts that need escaping and Japanese in them.
TEST(FaxMessages, EveryOperationRoundTrips) {
    const std::string awkward = "/home/山田/\"見積\"\\\t書.pdf";
    for (const TFaxRequest& request : {TFaxRequest(TConnectRequest{"Office-PC"}), TFaxRequest(TConnectRequest{}),
                                       TFaxRequest(TSubmitRequest{{"0312345678", "0612345678"}, awkward, ""}),
                                       TFaxRequest(TSubmitRequest{{"0312345678"}, awkward, "山田\"商事\""}),
                                       TFaxRequest(TJobsRequest{}), TFaxRequest(TCancelRequest{"12"}),
                                       TFaxRequest(TResendRequest{"7"}), TFaxRequest(TWatchRequest{})})
        EXPECT_EQ(RoundTrip(request), request) << EncodeRequest(request);

    TConnectAnswer connect{FaxServiceName, FaxProtocolVersion, "hylafax", true, "/data/SentItems", "/data/Reports"};
    EXPECT_EQ(ReadConnectAnswer(AnswerObject(EncodeAnswer(connect))), connect);
    TSubmitAnswer submit{{"7", "8"}};
    EXPECT_EQ(ReadSubmitAnswer(AnswerObject(EncodeAnswer(submit))), submit);
    TJobsAnswer jobs{{{"7", "0312345678", "failed", 3, "回線が話し中\n", "simulated", true, "r-1", "busy",
                       "2026-01-02T03:04:05", "2026-01-02T03:05:00", "山田商事", 42.5, "+81 3 1234 5678"},
                      {"8", "0612345678", "queued", 0, "", "", false, "", "", "2026-01-02T03:04:05", "", "", 0, ""}}};
    EXPECT_EQ(ReadJobsAnswer(AnswerObject(EncodeAnswer(jobs))), jobs);
    // A watch's event carries the job; other lines are no event.
    EXPECT_EQ(DecodeJobEvent(EncodeJobEvent(jobs.Jobs[0])), jobs.Jobs[0]);
    EXPECT_FALSE(DecodeJobEvent(EncodeAnswer(jobs)));
    EXPECT_TRUE(AnswerObject(EncodeAgreement()).IsObject());

    std::optional<TFaxAnswer> refusal = DecodeAnswer(EncodeRefusal("unknown server: 山田"));
    ASSERT_TRUE(refusal);
    EXPECT_FALSE(refusal->Ok);
    EXPECT_EQ(refusal->Error, "unknown server: 山田");
}

TEST(FaxMessages, RequestsTheServiceDoesNotTakeAreRefusedWithTheirReason) {
    const struct {
        std::string Line;
        const char* Error;
    } cases[] = {
        {"{\"op\":\"jobs\",\"x\":\"\xff\"}", "malformed request"},
        {R"({"op":"connect","server":7})", "server must be a string"},
        {R"({"op":"submit","recipients":[],"body":"/a"})", "no recipients"},
        {R"({"op":"submit","recipients":["03"]})", "no body"},
        {R"({"op":"submit","recipients":[3],"body":"/a"})", "fax numbers must be strings of digits"},
        {R"({"op":"submit","recipients":["03-1234"],"body":"/a"})", "invalid fax number: only ASCII digits are allowed"},
        {R"({"op":"submit","recipients":[")" + std::string(41, '1') + R"("],"body":"/a"})",
         "invalid fax number: only ASCII digits are allowed"},
        {R"({"op":"submit","recipients":["03"],"body":"/a","name":1})", "name must be a string of at most 256 bytes"},
        {R"({"op":"cancel"})", "no job id"},
        {R"({"op":"resend","id":"../7"})", "no job id"},
    };
    for (const auto& c : cases) {
        TFaxRequest request;
        std::string error;
        EXPECT_FALSE(DecodeRequest(c.Line, request, error)) << c.Line;
        EXPECT_EQ(error, c.Error) << c.Line;
    }
}

TEST(FaxMessages, AnAnswerWithoutABooleanOkIsNoAnswer) {
    EXPECT_FALSE(DecodeAnswer(R"({"ok":"yes"})"));
    EXPECT_FALSE(DecodeAnswer(R"([true])"));
    EXPECT_EQ(ReadConnectAnswer(AnswerObject(R"({"ok":true,"protocol":"1"})")).Protocol, -1);
    EXPECT_EQ(ReadConnectAnswer(AnswerObject(R"({"ok":true})")).Protocol, FaxProtocolVersion);
}
