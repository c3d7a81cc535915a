// pelmor-faxd on the SIP line against real components on loopback: two
// services calling each other through a private Kamailio (and rtpengine as
// the T.38 <-> G.711 gateway), and SIPp scripts for the far side's errors.
#include "fax_test_pages.h"
#include "fax_tiff.h"
#include "private_sip.h"
#include "service_process.h"
#include "temp_dir.h"

#include "sip/t38_endpoint.h"
#include "sip/udp_socket.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Two light pages keep a call short; the hang-up case sends a dense second page.
std::vector<TFaxPage> TestPages(bool dense = false)
{
    return {MakeBoxTestPage(100, 150, 1500, 600),
            dense ? MakeDenseTestPage(11) : MakeBoxTestPage(700, 1200, 900, 2100)};
}

class TSipTest : public ::testing::Test {
protected:
    TTempDir Dir;
    TPrivateRtpengine Rtpengine;
    TPrivateKamailio Kamailio;

    bool StartKamailio(bool gateway, int sippPort = 0)
    {
        TKamailioSetup setup{"alice-secret", "bob-secret", 0, sippPort};
        if (gateway) {
            if (!Rtpengine.Start(Dir.Path().string()))
                return false;
            setup.NgPort = Rtpengine.NgPort();
        }
        return Kamailio.Start(Dir.Path().string(), setup);
    }

    std::unique_ptr<TServiceProcess> StartService(const std::string& user, const std::string& server,
                                                  const std::string& t38, const std::string& more = "")
    {
        std::string config = Dir / (user + ".config");
        std::ofstream(config) << "line = sip\nsip-server = " << server << "\nsip-user = " << user
                              << "\nsip-password = " << user << "-secret\nsip-t38 = " << t38
                              << "\nsip-local-port = " << FreePort() << "\n" << more;
        auto service = std::make_unique<TServiceProcess>(Dir / user, Dir / (user + ".sock"));
        service->LogTo(Dir / (user + ".log"));
        if (!service->Start("", {"--config", config}))
            return nullptr;
        return service;
    }

    // Submits the test pages to number and waits for the job to settle.
    QJsonObject Send(const TServiceProcess& service, const std::string& number, bool dense = false)
    {
        std::string body = Dir / "pages.tif";
        EXPECT_TRUE(WriteTestTiff(body, TestPages(dense)));
        QJsonObject answer = service.Ask({{"op", "submit"},
                                          {"recipients", QJsonArray{QString::fromStdString(number)}},
                                          {"body", QString::fromStdString(body)}});
        EXPECT_TRUE(answer["ok"].toBool()) << QJsonDocument(answer).toJson().toStdString();
        std::vector<QJsonObject> jobs = service.WaitUntilSettled();
        return jobs.empty() ? QJsonObject() : jobs.back();
    }

    // The finished job's record as jobs.log keeps it.
    QJsonObject LoggedJob(const std::string& user)
    {
        std::ifstream in(Dir / (user + "/jobs.log"));
        std::string line, last;
        while (std::getline(in, line))
            if (!line.empty())
                last = line;
        return QJsonDocument::fromJson(QByteArray::fromStdString(last)).object();
    }

    std::string Log(const std::string& user) { return ReadFileBytes(Dir / (user + ".log")); }
};

struct TCallCase {
    const char* Name;
    const char* CallerT38;
    const char* ReceiverT38;
    const char* Number;
    bool Gateway;
    const char* CallerMedia;
    const char* ReceiverMedia;
};

class TSipCallMatrix : public TSipTest, public ::testing::WithParamInterface<TCallCase> {};

} // namespace

// Alice calls Bob; Bob files the pages exactly as Alice's service rendered them.
TEST_P(TSipCallMatrix, PagesArriveWhole)
{
    const TCallCase& c = GetParam();
    ASSERT_TRUE(StartKamailio(c.Gateway));
    auto bob = StartService("bob", Kamailio.Server(), c.ReceiverT38);
    auto alice = StartService("alice", Kamailio.Server(), c.CallerT38);
    ASSERT_TRUE(bob && alice);

    QJsonObject job = Send(*alice, c.Number);
    ASSERT_EQ(job["state"].toString(), "done") << job["error"].toString().toStdString() << "\n" << Log("alice");
    QJsonObject logged = LoggedJob("alice");
    EXPECT_EQ(logged["media"].toString(), c.CallerMedia);
    EXPECT_EQ(logged["bit_rate"].toInt(), 14400);
    EXPECT_NE(Log("bob").find(std::string("over ") + c.ReceiverMedia), std::string::npos) << Log("bob");

    std::vector<TFaxPage> sent, received;
    std::string error;
    ASSERT_TRUE(ReadFaxTiff(Dir / ("alice/SentItems/" + job["id"].toString().toStdString() + ".tif"), sent, error))
        << error;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(Dir / "bob/Inbox"))
        if (entry.path().extension() == ".tif")
            files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    ASSERT_TRUE(ReadFaxTiff(files[0].string(), received, error)) << error;
    ASSERT_EQ(received.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i)
        EXPECT_TRUE(received[i] == sent[i]) << "page " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(
    Calls, TSipCallMatrix,
    ::testing::Values(TCallCase{"T38ToT38", "always", "auto", "1002", false, "T.38", "T.38"},
                      TCallCase{"G711ToG711", "never", "never", "1002", false, "G.711", "G.711"},
                      TCallCase{"G711ToT38ThroughRtpengine", "never", "auto", "3002", true, "G.711", "T.38"},
                      TCallCase{"T38ToG711ThroughRtpengine", "always", "never", "4002", true, "T.38", "G.711"},
                      TCallCase{"AudioThenT38", "auto", "auto", "1002", false, "T.38", "T.38"},
                      TCallCase{"RefusedT38StaysOnAudio", "never", "auto", "1002", false, "G.711", "G.711"}),
    [](const ::testing::TestParamInfo<TCallCase>& info) { return std::string(info.param.Name); });

TEST_F(TSipTest, WrongPasswordFailsTheJobWithSipAuthFailure)
{
    int port = FreePort();
    TPrivateSipp sipp;
    ASSERT_TRUE(sipp.Start(Dir.Path().string(), "auth_refused.xml", port, 1, {}));
    auto alice = StartService("alice", "127.0.0.1:" + std::to_string(port), "auto");
    ASSERT_TRUE(alice);
    QJsonObject job = Send(*alice, "1002");
    EXPECT_EQ(job["state"].toString(), "failed");
    EXPECT_EQ(job["error"].toString().toStdString(), "SIP認証失敗");
}

TEST_F(TSipTest, BusyIsCalledAgainThenFails)
{
    int port = FreePort();
    TPrivateSipp sipp;
    ASSERT_TRUE(sipp.Start(Dir.Path().string(), "busy.xml", port, 2, {}));
    ASSERT_TRUE(StartKamailio(false, port));
    auto alice = StartService("alice", Kamailio.Server(), "auto", "sip-retry-limit = 2\nsip-retry-delay = 1\n");
    ASSERT_TRUE(alice);
    QJsonObject job = Send(*alice, "2001");
    EXPECT_EQ(job["state"].toString(), "failed");
    EXPECT_EQ(job["error"].toString(), "busy (2 attempts)");
    EXPECT_EQ(sipp.Wait(10), 0) << "SIPp did not see both calls";
}

TEST_F(TSipTest, UnansweredCallIsCancelled)
{
    int port = FreePort();
    TPrivateSipp sipp;
    ASSERT_TRUE(sipp.Start(Dir.Path().string(), "no_answer.xml", port, 1, {}));
    ASSERT_TRUE(StartKamailio(false, port));
    auto alice = StartService("alice", Kamailio.Server(), "auto", "sip-ring-time = 3\n");
    ASSERT_TRUE(alice);
    QJsonObject job = Send(*alice, "2001");
    EXPECT_EQ(job["state"].toString(), "failed");
    EXPECT_EQ(job["error"].toString(), "no answer");
    EXPECT_EQ(sipp.Wait(10), 0) << "SIPp saw no CANCEL";
}

// The far side answers on T.38 with a real fax receiver behind it, then hangs
// up while the second page is on its way.
TEST_F(TSipTest, HangUpMidPageStatesThePagesSent)
{
    TUdpSocket socket;
    std::string error;
    ASSERT_TRUE(socket.Bind("127.0.0.1", error)) << error;
    std::atomic<bool> done{false};
    std::thread receiver([&] {
        bool aimed = false;
        TT38Endpoint far(false, "far", [&](const TBytes& datagram) { socket.Send(datagram.data(), datagram.size()); });
        t30_set_rx_file(far.T30(), (Dir / "far.tif").c_str(), -1);
        auto next = std::chrono::steady_clock::now();
        while (!done) {
            pollfd fd{socket.Fd(), POLLIN, 0};
            poll(&fd, 1, 5);
            sockaddr_in from{};
            socklen_t length = sizeof from;
            uint8_t buffer[2048];
            ssize_t got;
            while ((got = recvfrom(socket.Fd(), buffer, sizeof buffer, MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&from), &length)) > 0) {
                if (!aimed)
                    aimed = socket.Aim("127.0.0.1", ntohs(from.sin_port));
                far.Datagram(buffer, static_cast<size_t>(got));
            }
            if (std::chrono::steady_clock::now() >= next) {
                far.Advance(160);
                next += std::chrono::milliseconds(20);
            }
        }
    });
    int port = FreePort();
    TPrivateSipp sipp;
    ASSERT_TRUE(sipp.Start(Dir.Path().string(), "bye_mid_page.xml", port, 1,
                           {{"t38_port", std::to_string(socket.Port())}}));
    ASSERT_TRUE(StartKamailio(false, port));
    auto alice = StartService("alice", Kamailio.Server(), "always");
    ASSERT_TRUE(alice);
    QJsonObject job = Send(*alice, "2001", true);
    done = true;
    receiver.join();
    EXPECT_EQ(job["state"].toString(), "failed");
    std::string text = job["error"].toString().toStdString();
    EXPECT_EQ(text.rfind("the far end hung up: ", 0), 0u) << text;
    EXPECT_NE(text.find(" of 2 pages sent"), std::string::npos) << text;
    EXPECT_EQ(LoggedJob("alice")["media"].toString(), "T.38");
}
