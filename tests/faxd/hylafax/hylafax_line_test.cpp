// The HylaFAX line on its own: options, retries, and how it reads the
// server's view of a job (scripted server, so every state can be shown).
#include "fake_hfaxd.h"
#include "fax_page_files.h"
#include "private_hylafax.h"

#include "hylafax_line.h"
#include "inbox.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

namespace {

struct HylafaxLine : testing::Test {
    TTempDir Temp;
    TLineJob Job = MakeJob();

    TLineJob MakeJob() {
        TLineJob job;
        job.Id = "7";
        job.Number = "0312345678";
        job.TiffPath = Temp.WriteFile("spool/7.tif", std::string("II*\0", 4) + std::string(3000, 'x'));
        job.Pages = 1;
        job.WorkDir = (Temp.Path() / "spool").string();
        return job;
    }
    std::string RemoteIdFile() const { return Job.WorkDir + "/7.hylafax"; }

    static THylafaxSettings SettingsFor(int port) {
        THylafaxSettings settings;
        settings.Host = "127.0.0.1";
        settings.Port = port;
        settings.User = "office";
        settings.TimeoutMs = 300;
        return settings;
    }
    static THylafaxLinePolicy QuickPolicy() {
        THylafaxLinePolicy policy;
        policy.Retry.Limit = 3;
        policy.Retry.Delay = std::chrono::milliseconds(40);
        policy.PollInterval = std::chrono::milliseconds(10);
        return policy;
    }
};

// Answers a submission up to its document; the test scripts JSUBM.
void ScriptSubmission(TFakeHfaxd& server) {
    server.On("USER", "230 ok.\r\n");
    server.On("FORM", "200 ok.\r\n");
    server.On("TYPE", "200 ok.\r\n");
    server.On("JNEW", "200 New job created: jobid: 12 groupid: 12.\r\n");
    server.On("JPARM", "213 set.\r\n");
    server.On("JPARM DOCUMENT /tmp/doc7.tif", "200 Added.\r\n");
}

void ScriptJob(TFakeHfaxd& server, const std::string& state, const std::string& status, const std::string& pages) {
    server.On("USER", "230 ok.\r\n");
    server.On("JOB 12", "200 Current job: jobid: 12 groupid: 12.\r\n");
    server.On("JPARM STATE", "213 " + state + "\r\n");
    server.On("JPARM STATUS", "213 " + status + "\r\n");
    server.On("JPARM STATUSCODE", "213 000\r\n");
    server.On("JPARM NPAGES", "213 " + pages + "\r\n");
}

}  // namespace

TEST_F(HylafaxLine, FactoryTakesItsOptionsAndRefusesOthers) {
    std::string error;
    auto line = MakeHylafaxLine({{"host", "fax.office"}, {"port", "4559"}, {"user", "tanaka"}, {"modem", "ttyS0"},
                                 {"timeout", "10"}, {"retry-limit", "4"}, {"retry-delay", "2"}, {"poll-interval", "3"}},
                                error);
    ASSERT_TRUE(line) << error;
    EXPECT_EQ(line->Name(), "hylafax");
    EXPECT_FALSE(line->Simulated());
    EXPECT_EQ(line->PollInterval(), std::chrono::seconds(3));
    EXPECT_TRUE(MakeHylafaxLine({}, error)) << "every option has a default";

    for (TLineOptions bad : std::vector<TLineOptions>{{{"port", "0"}}, {{"port", "70000"}}, {{"port", "45x"}},
                                                      {{"modem", "tty\"0"}}, {{"user", "a b"}}, {{"retry-limit", "0"}},
                                                      {{"speed", "fast"}}, {{"host", ""}}}) {
        error.clear();
        EXPECT_FALSE(MakeHylafaxLine(bad, error)) << bad.begin()->first << "=" << bad.begin()->second;
        EXPECT_FALSE(error.empty());
    }
}

TEST_F(HylafaxLine, RetriesAnUnreachableServerWithBackOffThenFails) {
    THylafaxLine line(SettingsFor(FindFreePort(false)), QuickPolicy());

    TLineStatus first = line.Send(Job);
    EXPECT_EQ(first.State, lsPending);
    EXPECT_NE(first.Text.find("attempt 1 of 3"), std::string::npos) << first.Text;
    // Before the back-off has passed the line does not try again.
    TLineStatus early = line.Send(Job);
    EXPECT_EQ(early.State, lsPending);
    EXPECT_NE(early.Text.find("attempt 1 of 3"), std::string::npos) << early.Text;

    TLineStatus status = first;
    for (int i = 0; i < 200 && status.State == lsPending; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        status = line.Send(Job);
    }
    ASSERT_EQ(status.State, lsFailed);
    EXPECT_NE(status.Text.find("unreachable after 3 attempts"), std::string::npos) << status.Text;
    EXPECT_NE(status.Text.find("cannot connect"), std::string::npos) << status.Text;
    EXPECT_FALSE(std::filesystem::exists(RemoteIdFile()));
}

TEST_F(HylafaxLine, KeepsTheRemoteIdBeforeSubmittingAndFollowsAnUnansweredSubmission) {
    TFakeHfaxd server;
    ScriptSubmission(server);
    server.On("JSUBM", "");  // the answer is lost
    server.On("JOB 12", "200 Current job: jobid: 12 groupid: 12.\r\n");
    THylafaxLine line(SettingsFor(server.Port()), QuickPolicy());

    TLineStatus status = line.Send(Job);
    EXPECT_EQ(status.State, lsRunning) << status.Text;
    EXPECT_EQ(status.RemoteId, "12");
    EXPECT_EQ(ReadFileBytes(RemoteIdFile()), "12\n");

    // A restarted service finds the job through the kept id.
    TLineStatus recovered = line.Recover(Job);
    EXPECT_EQ(recovered.State, lsRunning);
    EXPECT_EQ(recovered.RemoteId, "12");
}

// Only hfaxd's "does not exist" means gone; a busy or unwelcoming server
// knows nothing either way, so the job is neither sent again nor failed.
TEST_F(HylafaxLine, TakesOnlyAnExplicitDenialAsAJobThatIsGone) {
    for (const char* transient : {"421 Service not available, closing control connection.\r\n",
                                  "530 Not logged in.\r\n", "500 Command not understood.\r\n"}) {
        SCOPED_TRACE(transient);
        TFakeHfaxd server;
        ScriptSubmission(server);
        server.On("JSUBM", "");
        server.On("JOB 12", transient);
        THylafaxLine line(SettingsFor(server.Port()), QuickPolicy());

        TLineStatus sent = line.Send(Job);
        EXPECT_EQ(sent.State, lsRunning) << sent.Text;
        EXPECT_EQ(ReadFileBytes(RemoteIdFile()), "12\n");
        EXPECT_EQ(line.Recover(Job).State, lsRunning);
        Job.RemoteId = "12";
        EXPECT_EQ(line.Poll(Job).State, lsRunning);
        Job.RemoteId.clear();
        auto commands = server.Commands();
        EXPECT_EQ(std::count(commands.begin(), commands.end(), "JSUBM"), 1);
    }
}

TEST_F(HylafaxLine, RecoversOnlyJobsTheServerHas) {
    TFakeHfaxd server;
    server.On("USER", "230 ok.\r\n");
    server.On("JOB 12", "500 Cannot set job 12; job does not exist (No such file or directory).\r\n");
    THylafaxLine line(SettingsFor(server.Port()), QuickPolicy());

    EXPECT_EQ(line.Recover(Job).State, lsPending) << "no id kept: never handed over";
    Temp.WriteFile("spool/7.hylafax", "12\n");
    EXPECT_EQ(line.Recover(Job).State, lsPending) << "created but never submitted: send it";
    EXPECT_FALSE(std::filesystem::exists(RemoteIdFile()));
}

TEST_F(HylafaxLine, ReadsTheServersVerdict) {
    Job.RemoteId = "12";
    {
        TFakeHfaxd server;
        ScriptJob(server, "SLEEPING", "Busy signal detected", "0");
        TLineStatus status = THylafaxLine(SettingsFor(server.Port()), QuickPolicy()).Poll(Job);
        EXPECT_EQ(status.State, lsRunning);
        EXPECT_EQ(status.Text, "SLEEPING: Busy signal detected");
    }
    {
        TFakeHfaxd server;
        ScriptJob(server, "DONE", "", "2");
        TLineStatus status = THylafaxLine(SettingsFor(server.Port()), QuickPolicy()).Poll(Job);
        EXPECT_EQ(status.State, lsDone);
        EXPECT_EQ(status.Pages, 2);
    }
    {
        TFakeHfaxd server;
        ScriptJob(server, "FAILED", "Job aborted by request", "0");
        TLineStatus status = THylafaxLine(SettingsFor(server.Port()), QuickPolicy()).Poll(Job);
        EXPECT_EQ(status.State, lsFailed);
        EXPECT_EQ(status.Text, "Job aborted by request");
    }
    {
        TFakeHfaxd server;
        server.On("USER", "230 ok.\r\n");
        server.On("JOB 12", "500 Cannot set job 12; job does not exist (No such file or directory).\r\n");
        TLineStatus status = THylafaxLine(SettingsFor(server.Port()), QuickPolicy()).Poll(Job);
        EXPECT_EQ(status.State, lsFailed) << "a job removed on the server is never taken as sent";
        EXPECT_NE(status.Text.find("removed on the server"), std::string::npos) << status.Text;
    }
    {
        TLineStatus status = THylafaxLine(SettingsFor(FindFreePort(false)), QuickPolicy()).Poll(Job);
        EXPECT_EQ(status.State, lsRunning) << "the server keeps the job while it cannot be asked";
        EXPECT_NE(status.Text.find("unreachable"), std::string::npos) << status.Text;
    }
}

TEST_F(HylafaxLine, ARefusedJobFailsAtOnceWithTheServersWords) {
    TFakeHfaxd server;
    ScriptSubmission(server);
    server.On("JSUBM", "460 Failed to submit job 12: Unspecified reason (scheduler NAK'd request).\r\n");
    THylafaxLine line(SettingsFor(server.Port()), QuickPolicy());

    TLineStatus status = line.Send(Job);
    EXPECT_EQ(status.State, lsFailed);
    EXPECT_NE(status.Text.find("scheduler NAK'd request"), std::string::npos) << status.Text;
    EXPECT_FALSE(std::filesystem::exists(RemoteIdFile()));
}

// The receive queue: a fax still coming in waits, one the user may not read
// is skipped and counted, a fetched one is filed once and (when asked) removed.
TEST_F(HylafaxLine, FetchesEachReadableReceivedFaxOnce) {
    TFakeHfaxd server;
    server.On("USER", "230 ok.\r\n");
    server.On("RCVFMT", "200 ok.\r\n");
    server.On("TYPE", "200 ok.\r\n");
    server.On("DELE", "250 DELE command successful.\r\n");
    server.On("RETR recvq/fax3.tif", "550 recvq/fax3.tif: Operation not permitted.\r\n");
    server.OnData("LIST recvq", "fax1.tif| |  2|Pelmor A\r\nfax2.tif|*|  1|Pelmor B\r\nfax3.tif| |  1|\r\nnot a line\r\n");
    std::string pages = Temp / "pages.tif";
    ASSERT_TRUE(WriteFaxTiff(pages, {MakePatternPage(200, 1), MakePatternPage(200, 2)}));
    server.OnData("RETR recvq/fax1.tif", ReadFileBytes(pages));

    TInbox inbox((Temp.Path() / "data").string());
    std::string error;
    ASSERT_TRUE(inbox.Open(error)) << error;
    THylafaxLinePolicy policy = QuickPolicy();
    policy.RemoveReceived = true;
    THylafaxLine line(SettingsFor(server.Port()), policy);
    for (int look = 0; look < 2; ++look) {
        TFetchReport report = line.FetchReceived(inbox);
        EXPECT_EQ(report.Fetched, look == 0 ? 1 : 0);
        EXPECT_EQ(report.Skipped, 1);
        EXPECT_EQ(report.Error, "");
    }
    std::vector<TInboxFax> faxes = inbox.List();
    ASSERT_EQ(faxes.size(), 1u);
    EXPECT_EQ(faxes[0].Station, "Pelmor A");
    EXPECT_EQ(faxes[0].Pages, 2);
    EXPECT_EQ(faxes[0].Line, "hylafax");
    std::vector<std::string> commands = server.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "RETR recvq/fax1.tif"), 1);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "RETR recvq/fax3.tif"), 1);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "DELE recvq/fax1.tif"), 1);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "RETR recvq/fax2.tif"), 0);
}
