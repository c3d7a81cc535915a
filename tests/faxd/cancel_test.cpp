// Cancelling jobs in the job thread's hands: one being sent at line pace,
// one waiting behind it.
#include "job_runner.h"
#include "job_store.h"
#include "service_process.h"
#include "simulated_line.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool WaitForJob(const TJobStore& store, const std::string& id, const std::function<bool(const TFaxJob&)>& done)
{
    for (int i = 0; i < 3000; ++i) {
        TFaxJob job;
        if (store.FindJob(id, job) && done(job))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

} // namespace

TEST(Cancel, StopsTheCallAtHandAndAWaitingJobAtOnceFilingNeitherInSentItems)
{
    TTempDir dir;
    TJobStore store(dir / "data");
    std::string error;
    ASSERT_TRUE(store.Open(error)) << error;
    TSimulatedLine line(true, {});
    TJobRunner runner(store, line, FaxdProgram());
    std::vector<std::string> ended;
    runner.SetEndedHandler([&](const TFaxJob& job) { ended.push_back(job.Id + ":" + JobStateName(job.State)); });
    int body = open(dir.WriteFile("memo.txt", "至急ご確認ください\n").c_str(), O_RDONLY | O_CLOEXEC);
    std::vector<std::string> ids;
    ASSERT_TRUE(store.Accept(body, "", {"0312345678", "0312345679"}, ids, error)) << error;
    close(body);
    runner.Start();

    ASSERT_TRUE(WaitForJob(store, ids[0], [](const TFaxJob& job) { return job.State == jsHanding; }));
    ASSERT_TRUE(runner.Cancel(ids[1], error)) << error;
    TFaxJob first, second;
    ASSERT_TRUE(store.FindJob(ids[1], second));
    EXPECT_EQ(second.State, jsCancelled);
    ASSERT_TRUE(store.FindJob(ids[0], first));
    EXPECT_EQ(first.State, jsHanding) << "the call at hand ended before it was cancelled";

    ASSERT_TRUE(runner.Cancel(ids[0], error)) << error;
    ASSERT_TRUE(WaitForJob(store, ids[0], [](const TFaxJob& job) { return IsFinalState(job.State); }));
    ASSERT_TRUE(store.FindJob(ids[0], first));
    EXPECT_EQ(first.State, jsCancelled);
    EXPECT_EQ(first.Error, "cancelled");
    runner.Stop();

    EXPECT_TRUE(fs::is_empty(dir / "data/SentItems"));
    EXPECT_TRUE(fs::is_empty(dir / "data/Received"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "data/Failed"), fs::directory_iterator()), 2);
    EXPECT_EQ(ended, (std::vector<std::string>{ids[1] + ":cancelled", ids[0] + ":cancelled"}));
    EXPECT_FALSE(runner.Cancel(ids[0], error));
    EXPECT_EQ(error, "the job has ended");
}
