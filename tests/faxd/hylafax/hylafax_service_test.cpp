// pelmor-faxd on the HylaFAX line, against a private HylaFAX server: a fax
// through two iaxmodems that lands once in Sent Items, a job killed on the
// server, and a server that is not there.
#include "fax_page_files.h"
#include "private_hylafax.h"
#include "request_handler.h"
#include "service_process.h"

#include "hylafax/hylafax_client.h"
#include "job_runner.h"
#include "job_store.h"
#include "temp_dir.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

QJsonObject Submit(const TServiceProcess& service, const std::string& number, const std::string& body) {
    return service.Ask({{"op", "submit"}, {"recipients", QJsonArray{QString::fromStdString(number)}},
                        {"body", QString::fromStdString(body)}});
}

QJsonObject OnlyJob(const std::vector<QJsonObject>& jobs) {
    EXPECT_EQ(jobs.size(), 1u);
    return jobs.empty() ? QJsonObject() : jobs.front();
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) names.push_back(entry.path().filename().string());
    return names;
}

std::vector<std::string> LineArgs(int port, const std::string& modem) {
    std::vector<std::string> args = {"--config", "/dev/null", "--line", "hylafax", "--hylafax-host", "127.0.0.1",
                                     "--hylafax-port", std::to_string(port), "--hylafax-user", "pelmor",
                                     "--hylafax-poll-interval", "1", "--hylafax-timeout", "10"};
    if (!modem.empty()) {
        args.push_back("--hylafax-modem");
        args.push_back(modem);
    }
    return args;
}

// The job as the service lists it, once the line has handed it over.
QJsonObject WaitForRemoteId(const TServiceProcess& service) {
    QJsonObject job;
    for (int i = 0; i < 600; ++i) {
        QJsonArray jobs = service.Ask({{"op", "jobs"}})["jobs"].toArray();
        if (!jobs.isEmpty()) job = jobs.first().toObject();
        if (!job["remote_id"].toString().isEmpty() || job["state"] == "failed") break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return job;
}

// The only job once it is done or failed. A limit above the usual 120 s:
// the modems run in real time and a busy machine slows the server's queue.
QJsonObject WaitUntilFinal(const TServiceProcess& service, int limitSeconds) {
    QJsonObject job;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
    while (std::chrono::steady_clock::now() < end) {
        QJsonArray jobs = service.Ask({{"op", "jobs"}})["jobs"].toArray();
        if (jobs.size() == 1) job = jobs.first().toObject();
        if (job["state"] == "done" || job["state"] == "failed") break;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    return job;
}

bool SamePages(const std::vector<TFaxPage>& a, const std::vector<TFaxPage>& b) {
    if (a.empty() || a.size() != b.size()) return false;
    for (size_t p = 0; p < a.size(); ++p) {
        if (a[p].Width != b[p].Width || a[p].Rows != b[p].Rows) return false;
    }
    return true;
}

class HylafaxService : public testing::Test {
protected:
    TTempDir Dir;
    TServiceProcess Service{Dir / "data", Dir / "run/socket"};
    TPrivateHylafax Server;

    void StartServer(bool withModems) {
        std::string missing = TPrivateHylafax::MissingReason(withModems);
        if (!missing.empty()) GTEST_SKIP() << "HylaFAX tests skipped: " << missing;
        std::string error;
        ASSERT_TRUE(Server.Start(Dir / "hylafax", withModems, error)) << error;
    }
};

}  // namespace

TEST_F(HylafaxService, FaxThroughTwoModemsIsFiledOnceInSentItemsAndEqualsWhatTheFarEndGot) {
    StartServer(true);
    if (IsSkipped()) return;
    ASSERT_TRUE(Service.Start("", LineArgs(Server.Port(), Server.ModemA())));
    QJsonObject hello = Service.Ask({{"op", "connect"}, {"server", QString::fromStdString(LocalHostName())}});
    EXPECT_EQ(hello["line"].toString(), "hylafax");
    EXPECT_FALSE(hello["simulated"].toBool(true));

    std::string memo = Dir.WriteFile("memo.txt", "HylaFAX 経由の送信テスト\n");
    ASSERT_TRUE(Submit(Service, "0312345678", memo)["ok"].toBool());
    QJsonObject job = WaitUntilFinal(Service, 240);
    ASSERT_EQ(job["state"].toString(), "done")
        << job["error"].toString().toStdString() << " / server: " << job["status"].toString().toStdString();
    EXPECT_EQ(job["line"].toString(), "hylafax");
    EXPECT_FALSE(job["simulated"].toBool(true));
    EXPECT_FALSE(job["remote_id"].toString().isEmpty());
    EXPECT_EQ(job["status"].toString(), "DONE");

    // What the history watch sees: Sent Items grew by exactly this fax.
    std::string id = job["id"].toString().toStdString();
    EXPECT_EQ(FilesIn(Dir / "data/SentItems"), std::vector<std::string>{id + ".tif"});
    std::vector<TFaxPage> sent = ReadFaxTiff(Dir / ("data/SentItems/" + id + ".tif"));
    ASSERT_FALSE(sent.empty());

    bool identical = false;
    for (int i = 0; i < 60 && !identical; ++i) {
        for (const std::string& name : FilesIn(Server.Spool() + "/recvq")) {
            if (fs::path(name).extension() == ".tif")
                identical = identical || SamePages(ReadFaxTiff(Server.Spool() + "/recvq/" + name), sent);
        }
        if (!identical) std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    EXPECT_TRUE(identical) << "the far end did not receive the pages filed in Sent Items";

    std::string command = FaxdProgram() + " jobs --socket " + Service.SocketPath() + " --config /dev/null > " +
                          (Dir / "jobs.txt");
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string listing = ReadFileBytes(Dir / "jobs.txt");
    EXPECT_NE(listing.find("hylafax"), std::string::npos) << listing;
    EXPECT_NE(listing.find(job["remote_id"].toString().toStdString()), std::string::npos) << listing;
}

TEST_F(HylafaxService, JobKilledOnTheServerFailsWithTheServersWords) {
    StartServer(false);  // no modem: the job waits on the server until it is killed
    if (IsSkipped()) return;
    ASSERT_TRUE(Service.Start("", LineArgs(Server.Port(), "")));
    ASSERT_TRUE(Submit(Service, "0312345678", Dir.WriteFile("memo.txt", "kill me"))["ok"].toBool());

    QJsonObject handed = WaitForRemoteId(Service);
    std::string remoteId = handed["remote_id"].toString().toStdString();
    ASSERT_FALSE(remoteId.empty()) << handed["error"].toString().toStdString();
    THylafaxSettings settings;
    settings.Host = "127.0.0.1";
    settings.Port = Server.Port();
    settings.User = "pelmor";  // only the job's owner may kill it
    std::string error;
    ASSERT_EQ(THylafaxClient(settings).Kill(remoteId, error), hoOk) << error;

    QJsonObject job = OnlyJob(Service.WaitUntilSettled());
    EXPECT_EQ(job["state"].toString(), "failed");
    EXPECT_EQ(job["error"].toString(), "Job aborted by request");
    EXPECT_TRUE(FilesIn(Dir / "data/SentItems").empty());
    EXPECT_EQ(FilesIn(Dir / "data/Failed").size(), 1u);
}

TEST_F(HylafaxService, ServerThatIsNotThereIsRetriedThenTheJobFails) {
    std::vector<std::string> args = LineArgs(FindFreePort(false), "");
    for (const char* extra : {"--hylafax-retry-limit", "3", "--hylafax-retry-delay", "1"}) args.push_back(extra);
    ASSERT_TRUE(Service.Start("", args));
    ASSERT_TRUE(Submit(Service, "0312345678", Dir.WriteFile("memo.txt", "nobody home"))["ok"].toBool());

    QJsonObject job = OnlyJob(Service.WaitUntilSettled());
    EXPECT_EQ(job["state"].toString(), "failed");
    std::string reason = job["error"].toString().toStdString();
    EXPECT_NE(reason.find("unreachable after 3 attempts"), std::string::npos) << reason;
    EXPECT_TRUE(job["remote_id"].toString().isEmpty());
    EXPECT_TRUE(FilesIn(Dir / "data/SentItems").empty());
}

TEST_F(HylafaxService, ServiceKilledRightAfterTheHandOverFollowsTheJobInsteadOfSendingAgain) {
    StartServer(false);  // no modem: the job stays on the server
    if (IsSkipped()) return;
    ASSERT_TRUE(Service.Start("transmitted", LineArgs(Server.Port(), "")));
    ASSERT_TRUE(Submit(Service, "0312345678", Dir.WriteFile("memo.txt", "once only"))["ok"].toBool());
    int status = Service.WaitForExit();
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the service did not stop at the kill point";

    TServiceProcess restarted(Dir / "data", Dir / "run/socket");
    ASSERT_TRUE(restarted.Start("", LineArgs(Server.Port(), "")));
    QJsonObject job = WaitForRemoteId(restarted);
    std::string remoteId = job["remote_id"].toString().toStdString();
    ASSERT_FALSE(remoteId.empty()) << job["error"].toString().toStdString();

    THylafaxSettings settings;
    settings.Host = "127.0.0.1";
    settings.Port = Server.Port();
    settings.User = "pelmor";
    THylafaxClient client(settings);
    // The server is fresh: every job it has came from this one fax.
    int onServer = 0;
    for (int id = 1; id <= std::stoi(remoteId) + 1; ++id) {
        THylafaxJobStatus status = client.Query(std::to_string(id));
        ASSERT_EQ(status.Outcome, hoOk) << status.Error;
        onServer += status.Exists ? 1 : 0;
    }
    EXPECT_EQ(onServer, 1) << "the job was handed over more than once";
    std::string error;
    ASSERT_EQ(client.Kill(remoteId, error), hoOk) << error;
    EXPECT_EQ(OnlyJob(restarted.WaitUntilSettled())["state"].toString(), "failed");
    EXPECT_TRUE(FilesIn(Dir / "data/SentItems").empty());
}

TEST_F(HylafaxService, CancelRemovesTheServersJobAndEndsTheJobCancelled) {
    StartServer(false);  // no modem: the job waits on the server until it is cancelled
    if (IsSkipped()) return;
    TJobStore store(Dir / "data");
    std::string error;
    ASSERT_TRUE(store.Open(error)) << error;
    auto line = MakeFaxLine("hylafax", {{"host", "127.0.0.1"}, {"port", std::to_string(Server.Port())},
                                        {"user", "pelmor"}, {"poll-interval", "1"}, {"timeout", "10"}}, error);
    ASSERT_TRUE(line) << error;
    TJobRunner runner(store, *line, FaxdProgram());
    int body = open(Dir.WriteFile("memo.txt", "取り消す送信").c_str(), O_RDONLY | O_CLOEXEC);
    std::vector<std::string> ids;
    ASSERT_TRUE(store.Accept(body, "", {"0312345678"}, ids, error)) << error;
    close(body);
    runner.Start();

    auto waitFor = [&](const std::function<bool(const TFaxJob&)>& done) {
        TFaxJob job;
        for (int i = 0; i < 1200 && !(store.FindJob(ids[0], job) && done(job)); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return job;
    };
    TFaxJob handed = waitFor([](const TFaxJob& job) { return job.State == jsHanded; });
    ASSERT_FALSE(handed.RemoteId.empty()) << handed.Error;
    ASSERT_TRUE(runner.Cancel(ids[0], error)) << error;
    TFaxJob ended = waitFor([](const TFaxJob& job) { return IsFinalState(job.State); });
    runner.Stop();
    EXPECT_EQ(ended.State, jsCancelled) << ended.Error;
    EXPECT_TRUE(FilesIn(Dir / "data/SentItems").empty());

    THylafaxSettings settings;
    settings.Host = "127.0.0.1";
    settings.Port = Server.Port();
    settings.User = "pelmor";
    THylafaxJobStatus onServer = THylafaxClient(settings).Query(handed.RemoteId);
    ASSERT_EQ(onServer.Outcome, hoOk) << onServer.Error;
    EXPECT_TRUE(!onServer.Exists || onServer.Failed()) << onServer.State;
}
