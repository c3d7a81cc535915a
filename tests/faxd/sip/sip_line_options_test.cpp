#include "service_options.h"
#include "sip_line.h"

#include <gtest/gtest.h>

TEST(SipLineOptions, PasswordOnlyFromTheConfigFileAndBadValuesRefusedByName)
{
    TServiceOptions options;
    std::string error;
    EXPECT_FALSE(ParseServiceOptions({"--config", "/dev/null", "--line", "sip", "--sip-password", "x"}, options, error));
    EXPECT_NE(error.find("config file"), std::string::npos) << error;

    const TLineOptions base = {{"server", "127.0.0.1:5060"}, {"user", "1001"}};
    struct {
        const char* Key;
        const char* Value;
        const char* Named;  // what the error must name
    } refused[] = {
        {"transport", "sctp", "--sip-transport"}, {"t38", "sometimes", "--sip-t38"},
        {"local-port", "70000", "--sip-local-port"}, {"server", "pbx;evil", "--sip-server"},
        {"user", "a b", "--sip-user"}, {"colour", "red", "--sip-colour"},
    };
    for (const auto& r : refused) {
        TLineOptions given = base;
        given[r.Key] = r.Value;
        EXPECT_FALSE(MakeFaxLine("sip", given, error)) << r.Key;
        EXPECT_NE(error.find(r.Named), std::string::npos) << error;
    }
    EXPECT_FALSE(MakeFaxLine("sip", {{"server", "127.0.0.1"}}, error));
    EXPECT_NE(error.find("sip-user"), std::string::npos) << error;
}

TEST(SipLineOptions, FailedCallsReadAsUsersUnderstandThem)
{
    EXPECT_EQ(SipFailureText(486, "Busy Here"), "busy");
    EXPECT_EQ(SipFailureText(480, "Temporarily Unavailable"), "no answer");
    EXPECT_EQ(SipFailureText(404, "Not Found"), "no such number (404 Not Found)");
    EXPECT_EQ(SipFailureText(503, "Service Unavailable"), "call refused: 503 Service Unavailable");
}
