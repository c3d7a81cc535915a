// The job store's rules for ending and resending jobs, without a service.
#include "job_store.h"
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
