// The client against a scripted server: the replies and failures that a real
// hfaxd gives only in bad moments.
#include "fake_hfaxd.h"
#include "private_hylafax.h"

#include "hylafax/hylafax_client.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

THylafaxSettings FakeSettings(const TFakeHfaxd& server) {
    THylafaxSettings settings;
    settings.Host = "127.0.0.1";
    settings.Port = server.Port();
    settings.User = "office";
    settings.TimeoutMs = 300;
    return settings;
}

void ScriptGoodSubmission(TFakeHfaxd& server) {
    server.On("USER", "230 User office logged in.\r\n");
    server.On("FORM", "200 Format set to TIFF.\r\n");
    server.On("TYPE", "200 Type set to Image.\r\n");
    server.On("JNEW", "200 New job created: jobid: 12 groupid: 12.\r\n");
    server.On("JPARM", "213 set.\r\n");
    server.On("JPARM DOCUMENT /tmp/doc7.tif", "200 Added document /tmp/doc7.tif as docq/doc7.tif.12.\r\n");
    server.On("JSUBM", "200 Job 12 submitted.\r\n");
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

long IndexOf(const std::vector<std::string>& list, const std::string& item) {
    auto at = std::find(list.begin(), list.end(), item);
    return at == list.end() ? -1 : at - list.begin();
}

THylafaxJobRequest MakeRequest(const std::string& document) {
    THylafaxJobRequest request;
    request.Number = "0312345678";
    request.DocumentPath = document;
    return request;
}

struct HylafaxClientFake : testing::Test {
    TTempDir Temp;
    std::string Document = Temp.WriteFile("page.tif", std::string("II*\0", 4) + std::string(5000, '\x5a'));
    THylafaxJobRequest Request = MakeRequest(Document);
};

}  // namespace

TEST_F(HylafaxClientFake, SubmitsInProtocolOrderAndRecordsTheJobBeforeSubmitting) {
    TFakeHfaxd server("220-vm server (HylaFAX (tm) Version 6.0.7) ready.\r\n220 Welcome.");
    ScriptGoodSubmission(server);
    THylafaxSettings settings = FakeSettings(server);
    settings.Modem = "ttyIAX1";
    THylafaxClient client(settings);

    std::vector<std::string> seenAtCreation;
    std::string recordedId;
    THylafaxSubmitResult result = client.Submit(Request, [&](const std::string& id) {
        recordedId = id;
        seenAtCreation = server.Commands();
        return true;
    });

    ASSERT_EQ(result.Outcome, hoOk) << result.Error;
    EXPECT_EQ(result.JobId, "12");
    EXPECT_EQ(recordedId, "12");
    EXPECT_FALSE(Contains(seenAtCreation, "JSUBM")) << "the id must be kept before the job can run";
    EXPECT_EQ(server.Uploaded(), ReadFileBytes(Document));

    std::vector<std::string> sent = server.Commands();
    for (const char* command : {"USER office", "FORM TIFF", "TYPE I", "PASV", "STOT", "JNEW",
                                "JPARM DIALSTRING \"0312345678\"", "JPARM VRES 196", "JPARM PAGECHOP \"none\"",
                                "JPARM MODEM \"ttyIAX1\"", "JPARM DOCUMENT /tmp/doc7.tif", "JSUBM"}) {
        EXPECT_TRUE(Contains(sent, command)) << command;
    }
    EXPECT_LT(IndexOf(sent, "PASV"), IndexOf(sent, "STOT"));
    EXPECT_LT(IndexOf(sent, "STOT"), IndexOf(sent, "JNEW"));
    EXPECT_LT(IndexOf(sent, "JPARM DOCUMENT /tmp/doc7.tif"), IndexOf(sent, "JSUBM"));
    EXPECT_EQ(sent.back(), "QUIT");
}

TEST_F(HylafaxClientFake, LetsTheServerChooseTheModemAndStopsWhenTheJobCannotBeRecorded) {
    TFakeHfaxd server;
    ScriptGoodSubmission(server);
    THylafaxClient client(FakeSettings(server));

    THylafaxSubmitResult result = client.Submit(Request, [](const std::string&) { return false; });
    EXPECT_EQ(result.Outcome, hoRefused);
    std::vector<std::string> sent = server.Commands();
    EXPECT_FALSE(Contains(sent, "JSUBM"));
    for (const std::string& command : sent) EXPECT_NE(command.rfind("JPARM MODEM", 0), 0u) << command;
}

TEST_F(HylafaxClientFake, TellsARefusedSubmissionFromAnUnansweredOne) {
    {
        TFakeHfaxd server;
        ScriptGoodSubmission(server);
        server.On("JSUBM", "460 Failed to submit job 12: Unspecified reason (scheduler NAK'd request).\r\n");
        THylafaxSubmitResult result = THylafaxClient(FakeSettings(server)).Submit(Request);
        EXPECT_EQ(result.Outcome, hoRefused);
        EXPECT_NE(result.Error.find("scheduler NAK'd request"), std::string::npos) << result.Error;
    }
    {
        TFakeHfaxd server;
        ScriptGoodSubmission(server);
        server.On("JSUBM", "");
        THylafaxSubmitResult result = THylafaxClient(FakeSettings(server)).Submit(Request);
        EXPECT_EQ(result.Outcome, hoUncertain) << "the job may have been submitted";
        EXPECT_EQ(result.JobId, "12");
    }
    {
        TFakeHfaxd server;
        ScriptGoodSubmission(server);
        server.On("JNEW", "");
        THylafaxSubmitResult result = THylafaxClient(FakeSettings(server)).Submit(Request);
        EXPECT_EQ(result.Outcome, hoUnreachable);
    }
}

TEST_F(HylafaxClientFake, ExplainsALoginThatNeedsAPassword) {
    TFakeHfaxd server;
    server.On("USER", "331 Password required for office.\r\n");
    THylafaxSubmitResult result = THylafaxClient(FakeSettings(server)).Submit(Request);
    EXPECT_EQ(result.Outcome, hoRefused);
    EXPECT_NE(result.Error.find("password"), std::string::npos) << result.Error;
    EXPECT_FALSE(Contains(server.Commands(), "FORM TIFF"));
}

TEST_F(HylafaxClientFake, RefusesBadInputWithoutCallingTheServer) {
    TFakeHfaxd server;
    ScriptGoodSubmission(server);
    THylafaxSettings settings = FakeSettings(server);

    THylafaxJobRequest letters = Request;
    letters.Number = "03-1234\r\nJKILL";
    EXPECT_EQ(THylafaxClient(settings).Submit(letters).Outcome, hoRefused);
    THylafaxJobRequest missing = Request;
    missing.DocumentPath = Temp / "absent.tif";
    EXPECT_EQ(THylafaxClient(settings).Submit(missing).Outcome, hoRefused);
    settings.Modem = "tty\"; JKILL";
    EXPECT_EQ(THylafaxClient(settings).Submit(Request).Outcome, hoRefused);
    EXPECT_EQ(THylafaxClient(settings).Query("12; JKILL").Outcome, hoRefused);
    EXPECT_EQ(server.Connections(), 0);
}

TEST_F(HylafaxClientFake, ReadsAJobsStateAndNoticesAJobThatIsGone) {
    TFakeHfaxd server;
    server.On("USER", "230 ok.\r\n");
    server.On("JOB 5", "200 Current job: jobid: 5 groupid: 5.\r\n");
    server.On("JOB 6", "500 Cannot set job 6; job does not exist (No such file or directory).\r\n");
    server.On("JPARM STATE", "213 FAILED\r\n");
    server.On("JPARM STATUS", "213 No carrier detected\r\n");
    server.On("JPARM STATUSCODE", "213 005\r\n");
    server.On("JPARM NPAGES", "213 2\r\n");
    THylafaxClient client(FakeSettings(server));

    THylafaxJobStatus known = client.Query("5");
    ASSERT_EQ(known.Outcome, hoOk) << known.Error;
    EXPECT_TRUE(known.Exists);
    EXPECT_TRUE(known.Failed());
    EXPECT_FALSE(known.Done());
    EXPECT_EQ(known.Status, "No carrier detected");
    EXPECT_EQ(known.StatusCode, 5);
    EXPECT_EQ(known.Pages, 2);

    THylafaxJobStatus gone = client.Query("6");
    ASSERT_EQ(gone.Outcome, hoOk);
    EXPECT_FALSE(gone.Exists);
    EXPECT_EQ(server.Connections(), 2) << "each look at a job uses a connection of its own";

    std::string error;
    EXPECT_EQ(client.Kill("6", error), hoRefused);
    EXPECT_FALSE(Contains(server.Commands(), "JKILL")) << "JKILL would hit whatever job was current";
}

// A server that answers at a crawl or without end holds the job thread no
// longer than one timeout.
TEST_F(HylafaxClientFake, GivesUpOnAReplyThatIsTooSlowOrTooLong) {
    auto script = [](TFakeHfaxd& server, const std::string& jobReply) {
        server.On("USER", "230 ok.\r\n");
        server.On("JOB 5", jobReply);
        server.On("JPARM", "213 DONE\r\n");
    };
    std::string lines;
    for (int i = 0; i < 6; ++i) lines += "200-line " + std::to_string(i) + "\r\n";
    {
        TFakeHfaxd server;
        script(server, lines + "200 Current job.\r\n");
        server.PauseBetweenLines(80);
        EXPECT_EQ(THylafaxClient(FakeSettings(server)).Query("5").Outcome, hoUnreachable);
    }
    {
        TFakeHfaxd server;
        std::string flood;
        for (int i = 0; i < 100; ++i) flood += "200-" + std::string(1000, 'x') + "\r\n";
        script(server, flood + "200 Current job.\r\n");
        EXPECT_EQ(THylafaxClient(FakeSettings(server)).Query("5").Outcome, hoUnreachable);
    }
    {
        TFakeHfaxd server;
        script(server, lines + "200 Current job.\r\n");
        EXPECT_EQ(THylafaxClient(FakeSettings(server)).Query("5").Outcome, hoOk) << "the same reply at speed";
    }
}

TEST_F(HylafaxClientFake, GivesUpOnASilentOrAbsentServer) {
    {
        TFakeHfaxd server;
        server.On("USER", "230 ok.\r\n");
        server.On("JOB", "");
        THylafaxJobStatus status = THylafaxClient(FakeSettings(server)).Query("5");
        EXPECT_EQ(status.Outcome, hoUnreachable);
        EXPECT_FALSE(status.Error.empty());
    }
    {
        TFakeHfaxd server("");
        THylafaxJobStatus status = THylafaxClient(FakeSettings(server)).Query("5");
        EXPECT_EQ(status.Outcome, hoUnreachable) << "no greeting";
    }
    {
        THylafaxSettings settings;
        settings.Host = "127.0.0.1";
        settings.Port = FindFreePort(false);
        settings.TimeoutMs = 300;
        THylafaxSubmitResult result = THylafaxClient(settings).Submit(Request);
        EXPECT_EQ(result.Outcome, hoUnreachable);
        EXPECT_NE(result.Error.find("cannot connect"), std::string::npos) << result.Error;
    }
}
