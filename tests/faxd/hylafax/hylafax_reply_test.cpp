#include "hylafax/hylafax_client.h"
#include "hylafax/hylafax_reply.h"

#include <gtest/gtest.h>

namespace {

THylafaxReply ParseAll(const std::vector<std::string>& lines, bool* complete = nullptr) {
    THylafaxReplyParser parser;
    for (const std::string& line : lines) {
        if (!parser.Feed(line)) break;
    }
    if (complete) *complete = parser.Complete();
    return parser.Reply();
}

}  // namespace

TEST(HylafaxReplyParser, ReadsSingleAndMultiLineReplies) {
    bool complete = false;
    THylafaxReply single = ParseAll({"213 PENDING"}, &complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(single.Code, 213);
    EXPECT_EQ(single.Text(), "PENDING");

    // An empty status is a valid answer, with or without the trailing space.
    EXPECT_EQ(ParseAll({"213 "}).Text(), "");
    EXPECT_EQ(ParseAll({"213"}).Code, 213);

    THylafaxReply help = ParseAll({"214-The following commands are recognized.", "   ABOR   JNEW",
                                   "214-more", "213 not the end", "214 Direct comments to FaxMaster."},
                                  &complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(help.Code, 214);
    ASSERT_EQ(help.Lines.size(), 5u);
    EXPECT_EQ(help.Lines[1], "   ABOR   JNEW");
    EXPECT_EQ(help.Lines[3], "213 not the end");
    EXPECT_EQ(help.Text(), "Direct comments to FaxMaster.");
}

TEST(HylafaxReplyParser, RejectsWhatIsNoReply) {
    THylafaxReplyParser parser;
    EXPECT_FALSE(parser.Feed("hello"));
    EXPECT_FALSE(parser.Feed("21 short"));
    EXPECT_FALSE(parser.Feed("013 leading zero"));
    EXPECT_FALSE(parser.Feed("213x no separator"));
    EXPECT_FALSE(parser.Complete());

    bool complete = true;
    ParseAll({"220-first", "still first"}, &complete);
    EXPECT_FALSE(complete) << "a multi-line reply is not over before its last line";

    THylafaxReplyParser done;
    ASSERT_TRUE(done.Feed("200 ok"));
    EXPECT_FALSE(done.Feed("200 extra")) << "a complete reply takes no more lines";
}

TEST(HylafaxReplyParts, PassivePortJobIdAndFileName) {
    EXPECT_EQ(ParsePassivePort("Entering passive mode (127,0,0,1,229,115)"), 229 * 256 + 115);
    EXPECT_EQ(ParsePassivePort("Entering Passive Mode 10,1,2,3,0,21"), 21);
    EXPECT_EQ(ParsePassivePort("Entering passive mode (127,0,0,1,256,1)"), 0);
    EXPECT_EQ(ParsePassivePort("Entering passive mode (127,0,0,1,4)"), 0);
    EXPECT_EQ(ParsePassivePort("Entering passive mode (127,0,0,1,0,0)"), 0);
    EXPECT_EQ(ParsePassivePort("no numbers"), 0);

    EXPECT_EQ(ParseNewJobId("New job created: jobid: 12 groupid: 12."), "12");
    EXPECT_EQ(ParseNewJobId("New job created: jobid:7"), "7");
    EXPECT_EQ(ParseNewJobId("New job created."), "");
    EXPECT_EQ(ParseNewJobId("jobid: x"), "");

    EXPECT_EQ(ParseStoredFileName("FILE: /tmp/doc1.tif (Opening new data connection)."), "/tmp/doc1.tif");
    EXPECT_EQ(ParseStoredFileName("Transfer complete (FILE: /tmp/doc12.tif)."), "/tmp/doc12.tif");
    EXPECT_EQ(ParseStoredFileName("Transfer complete FILE: /tmp/doc3.tif."), "/tmp/doc3.tif");
    EXPECT_EQ(ParseStoredFileName("Transfer complete."), "");
}

TEST(HylafaxReplyParts, QuotingAndRelativeTimes) {
    EXPECT_TRUE(IsQuotableParameter("ttyIAX0"));
    EXPECT_FALSE(IsQuotableParameter("a\"b"));
    EXPECT_FALSE(IsQuotableParameter("a\\b"));
    EXPECT_FALSE(IsQuotableParameter("a\r\nJKILL"));

    EXPECT_EQ(FormatRelativeTime(180), "000300");
    EXPECT_EQ(FormatRelativeTime(59), "000059");
    EXPECT_EQ(FormatRelativeTime(24 * 60 + 61), "010101");
    EXPECT_EQ(FormatRelativeTime(0), "000001");
}
