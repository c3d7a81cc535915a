// The job store on its own: ids, records it cannot read, and filing that
// never replaces a fax already kept.
#include "job_store.h"
#include "jobs_command.h"
#include "socket_server.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct JobStore : testing::Test {
    TTempDir Dir;
    std::string Data = Dir / "data";
    std::string Body = Dir.WriteFile("memo.txt", "hello\n");

    std::vector<std::string> Submit(TJobStore& store, std::vector<std::string> numbers = {"0312345678"})
    {
        int fd = open(Body.c_str(), O_RDONLY | O_CLOEXEC);
        std::vector<std::string> ids;
        std::string error;
        EXPECT_TRUE(store.Accept(fd, numbers, ids, error)) << error;
        close(fd);
        return ids;
    }
    void Prepare(const std::string& name, const std::string& bytes)
    {
        fs::create_directories(fs::path(Data + "/" + name).parent_path());
        Dir.WriteFile("data/" + name, bytes);
    }
};

} // namespace

TEST_F(JobStore, SetsAsideARecordItCannotReadAndNeverReusesItsId)
{
    Prepare("spool/1.job", "{\"id\":\"1\",\"num");
    Prepare("spool/1.body", "the first fax");
    TJobStore store(Data);
    std::string error;
    ASSERT_TRUE(store.Open(error)) << error;

    std::vector<TFaxJob> listed = store.ListJobs();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].Id, "1");
    EXPECT_EQ(listed[0].State, jsFailed);
    EXPECT_FALSE(listed[0].Error.empty());
    EXPECT_EQ(ReadFileBytes(Data + "/Failed/1.body"), "the first fax");
    EXPECT_NE(ReadFileBytes(Data + "/jobs.log").find("\"id\":\"1\""), std::string::npos);

    EXPECT_EQ(Submit(store), std::vector<std::string>{"2"});
    // Something made the next id's body meanwhile: it is passed over and kept.
    Prepare("spool/3.body", "not ours");
    EXPECT_EQ(Submit(store), std::vector<std::string>{"4"});
    EXPECT_EQ(ReadFileBytes(Data + "/spool/3.body"), "not ours");
}

TEST_F(JobStore, CountsIdsOfAnyLengthOnAndFilesWithoutReplacing)
{
    Prepare("jobs.log", "{\"id\":\"1234567890123456\",\"number\":\"0312345678\",\"state\":\"done\"}\n");
    Prepare("SentItems/1234567890123457.tif", "an older fax");
    {
        TJobStore store(Data);
        std::string error;
        ASSERT_TRUE(store.Open(error)) << error;
        std::vector<std::string> ids = Submit(store, {"0312345678", "0398765432"});
        ASSERT_EQ(ids, (std::vector<std::string>{"1234567890123457", "1234567890123458"}));

        TFaxJob job = store.ActiveJobs().at(0);
        Prepare("spool/" + job.Id + ".tif", "the new fax");
        ASSERT_TRUE(store.FileSent(job, error)) << error;
        EXPECT_EQ(ReadFileBytes(Data + "/SentItems/1234567890123457.tif"), "an older fax");
        EXPECT_EQ(ReadFileBytes(Data + "/SentItems/1234567890123457-1.tif"), "the new fax");
    }
    // With the log and every filed fax gone, the next id still follows on.
    fs::remove(Data + "/jobs.log");
    fs::remove_all(Data + "/SentItems");
    fs::remove_all(Data + "/spool");
    TJobStore store(Data);
    std::string error;
    ASSERT_TRUE(store.Open(error)) << error;
    EXPECT_EQ(Submit(store), std::vector<std::string>{"1234567890123459"});
}

TEST_F(JobStore, RefusesJobsPastItsLimitsAndKeepsThoseItHas)
{
    TJobStore store(Data);
    std::string error;
    ASSERT_TRUE(store.Open(error)) << error;
    store.SetLimits(2, 1 << 20);
    Submit(store);
    std::vector<std::string> ids;
    int fd = open(Body.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_FALSE(store.Accept(fd, {"0312345678", "0312345679"}, ids, error));
    EXPECT_NE(error.find("too many jobs"), std::string::npos) << error;
    close(fd);

    std::string large = Dir.WriteFile("large.txt", std::string(1 << 20, 'a'));
    fd = open(large.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_FALSE(store.Accept(fd, {"0312345678"}, ids, error));
    EXPECT_NE(error.find("spool is full"), std::string::npos) << error;
    close(fd);
    EXPECT_EQ(store.ActiveJobs().size(), 1u);
}

TEST(JobsCommand, ShowsNoControlCharacters)
{
    EXPECT_EQ(PrintableText("busy\x1b]0;owned\x07 line\r\n"), "busy?]0;owned? line??");
    EXPECT_EQ(PrintableText("\xC2\x9B" "2J 回線"), "?2J 回線");
}

TEST(JobsCommand, NeverAsksThroughAFolderOthersMayEnter)
{
    TTempDir dir;
    std::string path = dir / "run/socket";
    TSocketServer server;
    std::string error;
    ASSERT_EQ(server.Listen(path, error), TSocketServer::lrListening) << error;
    int stop[2];
    ASSERT_EQ(pipe(stop), 0);
    std::thread serving([&] {
        server.Run([&](TConnectionId from, const std::string&) { server.Push(from, "{\"ok\":true,\"jobs\":[]}"); },
                   stop[0]);
    });
    EXPECT_EQ(PrintJobs(path), 0);
    std::filesystem::permissions(dir / "run", std::filesystem::perms(0755));
    EXPECT_EQ(PrintJobs(path), 1);
    EXPECT_EQ(write(stop[1], "x", 1), 1);
    serving.join();
    close(stop[0]);
    close(stop[1]);
}
