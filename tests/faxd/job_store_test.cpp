// The job store's rules for ending and resending jobs, for its ids, records it
// cannot read, filing that never replaces a fax already kept, and its limits,
// without a service; and the job list's printing.
#include "durable/unique_fd.h"
#include "job_store.h"
#include "jobs_command.h"
#include "serving_thread.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

std::string AcceptOne(TJobStore& store, const std::string& body, const TJobOrigin& origin)
{
    int fd = open(body.c_str(), O_RDONLY | O_CLOEXEC);
    std::vector<std::string> ids;
    std::string error;
    EXPECT_TRUE(store.Accept(fd, "", {"0312345678"}, ids, error, origin)) << error;
    close(fd);
    return ids.empty() ? "" : ids.front();
}

} // namespace

TEST(JobStore, OnlyFailedOrCancelledJobsAreResentAndTheResendKeepsNumberNameAndBody)
{
    TTempDir dir;
    auto owned = std::make_unique<TJobStore>(dir / "data");
    TJobStore& store = *owned;
    std::string error;
    ASSERT_TRUE(store.Open(error)) << error;
    std::vector<std::string> changes;
    store.SetChangeListener([&](const TFaxJob& job) { changes.push_back(job.Id + ":" + JobStateName(job.State)); });
    std::string body = dir.WriteFile("memo.txt", "見積書をお送りします\n");
    std::string cancelled = AcceptOne(store, body, {"山田商事", ""});
    std::string waiting = AcceptOne(store, body, {});

    TFaxJob job;
    ASSERT_TRUE(store.FindJob(cancelled, job));
    ASSERT_TRUE(store.FileCancelled(job, error)) << error;
    EXPECT_TRUE(std::filesystem::is_empty(dir / "data/SentItems"));
    EXPECT_TRUE(std::filesystem::exists(dir / ("data/Failed/" + cancelled + ".txt")));

    std::string newId;
    EXPECT_FALSE(store.Resend(waiting, newId, error));
    EXPECT_EQ(error, "the job has not ended");
    EXPECT_FALSE(store.Resend("999", newId, error));
    EXPECT_EQ(error, "no such job");
    ASSERT_TRUE(store.Resend(cancelled, newId, error)) << error;
    TFaxJob resent;
    ASSERT_TRUE(store.FindJob(newId, resent));
    EXPECT_EQ(resent.State, jsQueued);
    EXPECT_EQ(resent.Number, "0312345678");
    EXPECT_EQ(resent.Name, "山田商事");
    EXPECT_EQ(resent.ResendOf, cancelled);
    EXPECT_EQ(ReadFileBytes(store.BodyPath(newId)), "見積書をお送りします\n");
    EXPECT_EQ(changes, (std::vector<std::string>{cancelled + ":queued", waiting + ":queued",
                                                 cancelled + ":cancelled", newId + ":queued"}));

    // The name and the resent job's origin survive a restart.
    owned.reset();
    TJobStore reopened(dir / "data");
    ASSERT_TRUE(reopened.Open(error)) << error;
    ASSERT_TRUE(reopened.FindJob(newId, resent));
    EXPECT_EQ(resent.Name, "山田商事");
    EXPECT_EQ(resent.ResendOf, cancelled);
}

namespace fs = std::filesystem;

namespace {

struct JobStoreIds : testing::Test {
    TTempDir Dir;
    std::string Data = Dir / "data";
    std::string Error;

    // The ids of the jobs made, or none with Error.
    std::vector<std::string> Submit(TJobStore& store, std::vector<std::string> numbers = {"0312345678"},
                                    const std::string& bytes = "hello\n")
    {
        TUniqueFd fd(open(Dir.WriteFile("body.txt", bytes).c_str(), O_RDONLY | O_CLOEXEC));
        std::vector<std::string> ids;
        store.Accept(fd.Get(), "body.txt", numbers, ids, Error);
        return ids;
    }
    void Open(TJobStore& store) { ASSERT_TRUE(store.Open(Error)) << Error; }
};

} // namespace

TEST_F(JobStoreIds, SetsAsideARecordItCannotReadAndNeverReusesItsId)
{
    Dir.WriteFile("data/spool/1.job", "{\"id\":\"1\",\"num");
    Dir.WriteFile("data/spool/1.body", "the first fax");
    TJobStore store(Data);
    Open(store);

    std::vector<TFaxJob> listed = store.ListJobs();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].Id, "1");
    EXPECT_EQ(listed[0].State, jsFailed);
    EXPECT_FALSE(listed[0].Error.empty());
    EXPECT_EQ(ReadFileBytes(Data + "/Failed/1.body"), "the first fax");
    EXPECT_NE(ReadFileBytes(Data + "/jobs.log").find("\"id\":\"1\""), std::string::npos);

    EXPECT_EQ(Submit(store), std::vector<std::string>{"2"}) << Error;
    // Something made the next id's body meanwhile: it is passed over and kept.
    Dir.WriteFile("data/spool/3.body", "not ours");
    EXPECT_EQ(Submit(store), std::vector<std::string>{"4"}) << Error;
    EXPECT_EQ(ReadFileBytes(Data + "/spool/3.body"), "not ours");
}

TEST_F(JobStoreIds, CountsIdsOfAnyLengthOnAndFilesWithoutReplacing)
{
    Dir.WriteFile("data/jobs.log", "{\"id\":\"1234567890123456\",\"number\":\"0312345678\",\"state\":\"done\"}\n");
    Dir.WriteFile("data/SentItems/1234567890123457.tif", "an older fax");
    {
        TJobStore store(Data);
        Open(store);
        ASSERT_EQ(Submit(store, {"0312345678", "0398765432"}),
                  (std::vector<std::string>{"1234567890123457", "1234567890123458"}));
        TFaxJob job = store.ActiveJobs().at(0);
        Dir.WriteFile("data/spool/" + job.Id + ".tif", "the new fax");
        ASSERT_TRUE(store.FileSent(job, Error)) << Error;
        EXPECT_EQ(ReadFileBytes(Data + "/SentItems/1234567890123457.tif"), "an older fax");
        EXPECT_EQ(ReadFileBytes(Data + "/SentItems/1234567890123457-1.tif"), "the new fax");
    }
    // With the log and every filed fax gone, the next id still follows on.
    for (const char* gone : {"jobs.log", "SentItems", "spool"})
        fs::remove_all(Data + "/" + gone);
    TJobStore store(Data);
    Open(store);
    EXPECT_EQ(Submit(store), std::vector<std::string>{"1234567890123459"});
}

TEST_F(JobStoreIds, RefusesJobsPastItsLimitsAndKeepsThoseItHas)
{
    TJobStore store(Data);
    Open(store);
    store.SetLimits(2, 1 << 20);
    Submit(store);
    EXPECT_TRUE(Submit(store, {"0312345678", "0312345679"}).empty());
    EXPECT_NE(Error.find("too many jobs"), std::string::npos) << Error;
    EXPECT_TRUE(Submit(store, {"0312345678"}, std::string(1 << 20, 'a')).empty());
    EXPECT_NE(Error.find("spool is full"), std::string::npos) << Error;
    EXPECT_EQ(store.ActiveJobs().size(), 1u);
}

TEST(JobsCommand, PrintsNoControlCharactersAndAsksOnlyThroughAPrivateFolder)
{
    EXPECT_EQ(PrintableText("busy\x1b]0;owned\x07 line\r\n"), "busy?]0;owned? line??");
    EXPECT_EQ(PrintableText("\xC2\x9B" "2J 回線"), "?2J 回線");

    TServing serving;
    serving.Start([&](TConnectionId from, const std::string&) {
        serving.Server.Push(from, "{\"ok\":true,\"jobs\":[]}");
    });
    EXPECT_EQ(PrintJobs(serving.Path), 0);
    fs::permissions(serving.Dir / "run", fs::perms(0755));
    EXPECT_EQ(PrintJobs(serving.Path), 1);
}
