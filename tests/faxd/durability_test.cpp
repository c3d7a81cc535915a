#include "fax_test_pages.h"
#include "service_process.h"
#include "temp_dir.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Every job of jobs.log by id, with how often it was logged.
std::map<std::string, int> LoggedIds(const std::string& log)
{
    std::map<std::string, int> ids;
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        size_t at = line.find("\"id\":\"");
        if (at != std::string::npos)
            ++ids[line.substr(at + 6, line.find('"', at + 6) - at - 6)];
    }
    return ids;
}

// After everything settled: each accepted job is in SentItems exactly once,
// logged exactly once, and the spool holds nothing but its lock.
void ExpectEachJobFiledOnce(const TTempDir& dir, const std::vector<std::string>& accepted)
{
    std::vector<std::string> sent = Names(dir / "data/SentItems");
    std::map<std::string, int> logged = LoggedIds(dir / "data/jobs.log");
    for (const std::string& id : accepted) {
        EXPECT_EQ(std::count(sent.begin(), sent.end(), id + ".tif"), 1) << "job " << id;
        EXPECT_EQ(logged[id], 1) << "job " << id;
    }
    EXPECT_EQ(sent.size(), logged.size());
    for (auto& [id, count] : logged)
        EXPECT_EQ(count, 1) << "job " << id;
    EXPECT_EQ(Names(dir / "data/spool"), std::vector<std::string>{".lock"});
}

std::string MakeBody(const TTempDir& dir)
{
    std::vector<TFaxPage> pages = {MakeDenseTestPage(3)};
    std::string path = dir / "body.tif";
    EXPECT_TRUE(WriteTestTiff(path, pages));
    return path;
}

} // namespace

TEST(Durability, KilledAtEachStepTheJobIsResumedAndFiledOnce)
{
    for (const char* point : {"rendered", "transmitting", "transmitted", "filed", "logged"}) {
        SCOPED_TRACE(point);
        TTempDir dir;
        std::string body = MakeBody(dir);
        std::vector<std::string> accepted;
        {
            TServiceProcess service(dir / "data", dir / "socket/s");
            ASSERT_TRUE(service.Start(point));
            QJsonObject answer = service.Ask(
                {{"op", "submit"}, {"recipients", QJsonArray{"0312345678"}}, {"body", QString::fromStdString(body)}});
            ASSERT_TRUE(answer["ok"].toBool());
            accepted.push_back(answer["jobs"].toArray()[0].toString().toStdString());
            int status = service.WaitForExit();
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the service should die at " << point;
        }
        TServiceProcess restarted(dir / "data", dir / "socket/s");
        ASSERT_TRUE(restarted.Start());
        std::vector<QJsonObject> jobs = restarted.WaitUntilSettled();
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(jobs[0]["state"].toString(), "done") << jobs[0]["error"].toString().toStdString();
        ExpectEachJobFiledOnce(dir, accepted);
    }
}

TEST(Durability, KilledWhileAcceptingTheJobIsKeptOrNeverWasButNeverHalf)
{
    TTempDir dir;
    std::string body = MakeBody(dir);
    {
        TServiceProcess service(dir / "data", dir / "socket/s");
        ASSERT_TRUE(service.Start("accepted"));
        // The service dies after making the job durable, before answering.
        QJsonObject answer = service.Ask(
            {{"op", "submit"}, {"recipients", QJsonArray{"0312345678"}}, {"body", QString::fromStdString(body)}});
        EXPECT_TRUE(answer.isEmpty());
        service.WaitForExit();
    }
    TServiceProcess restarted(dir / "data", dir / "socket/s");
    ASSERT_TRUE(restarted.Start());
    std::vector<QJsonObject> jobs = restarted.WaitUntilSettled();
    ASSERT_LE(jobs.size(), 1u);
    ExpectEachJobFiledOnce(dir, {});
}

TEST(Durability, KilledAtRandomMomentsEveryAcceptedJobIsFiledOnce)
{
    TTempDir dir;
    std::string body = MakeBody(dir);
    std::vector<std::string> accepted;
    std::mt19937 random(20240611);
    for (int round = 0; round < 6; ++round) {
        TServiceProcess service(dir / "data", dir / "socket/s");
        ASSERT_TRUE(service.Start());
        for (int i = 0; i < 2; ++i) {
            QJsonObject answer = service.Ask(
                {{"op", "submit"}, {"recipients", QJsonArray{"0312345678"}}, {"body", QString::fromStdString(body)}});
            ASSERT_TRUE(answer["ok"].toBool());
            accepted.push_back(answer["jobs"].toArray()[0].toString().toStdString());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 1500));
        service.Kill(SIGKILL);
        service.WaitForExit();
    }
    TServiceProcess last(dir / "data", dir / "socket/s");
    ASSERT_TRUE(last.Start());
    std::vector<QJsonObject> jobs = last.WaitUntilSettled();
    EXPECT_EQ(jobs.size(), accepted.size());
    for (const QJsonObject& job : jobs)
        EXPECT_EQ(job["state"].toString(), "done") << job["error"].toString().toStdString();
    ExpectEachJobFiledOnce(dir, accepted);
}
