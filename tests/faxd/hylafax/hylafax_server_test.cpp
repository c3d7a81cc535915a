// The client against a real, private HylaFAX server, with two iaxmodems that
// call each other for the end-to-end fax.
#include "fax_page_files.h"
#include "private_hylafax.h"

#include "hylafax/hylafax_client.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <thread>

namespace {

std::string UtcInOneHour() {
    std::time_t later = std::time(nullptr) + 3600;
    std::tm parts{};
    gmtime_r(&later, &parts);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d%H%M", &parts);
    return text;
}

THylafaxJobRequest MakeRequest(const std::string& document, const std::string& sendTimeUtc) {
    THylafaxJobRequest request;
    request.Number = "0312345678";
    request.DocumentPath = document;
    request.SendTimeUtc = sendTimeUtc;
    return request;
}

bool SamePages(const std::vector<TFaxPage>& a, const std::vector<TFaxPage>& b) {
    if (a.size() != b.size()) return false;
    for (size_t p = 0; p < a.size(); ++p) {
        if (a[p].Width != b[p].Width || a[p].Rows != b[p].Rows) return false;
    }
    return true;
}

// Polls until the job is over or the limit passes (a safety net, not a timing
// assertion: a fax takes about half a minute of line time).
THylafaxJobStatus WaitUntilFinished(THylafaxClient& client, const std::string& jobId, int limitSeconds) {
    THylafaxJobStatus status;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
    do {
        status = client.Query(jobId);
        if (status.Outcome == hoOk && (!status.Exists || status.Done() || status.Failed())) return status;
        std::this_thread::sleep_for(std::chrono::seconds(1));
    } while (std::chrono::steady_clock::now() < end);
    return status;
}

class HylafaxServer : public testing::Test {
protected:
    static void SetUpTestSuite() {
        Skip = TPrivateHylafax::MissingReason(true);
        if (!Skip.empty()) return;
        Temp = std::make_unique<TTempDir>();
        Server = std::make_unique<TPrivateHylafax>();
        std::string error;
        if (!Server->Start(*Temp / "hylafax", true, error)) StartError = error;
    }
    static void TearDownTestSuite() {
        Server.reset();
        Temp.reset();
    }
    void SetUp() override {
        if (!Skip.empty()) GTEST_SKIP() << "HylaFAX tests skipped: " << Skip;
        ASSERT_TRUE(StartError.empty()) << StartError;
        Document = *Temp / ("page" + std::to_string(++Counter) + ".tif");
        ASSERT_TRUE(WriteFaxTiff(Document, {MakePatternPage(300, Counter)}));
    }
    THylafaxSettings Settings() const {
        THylafaxSettings settings;
        settings.Host = "127.0.0.1";
        settings.Port = Server->Port();
        settings.User = "pelmor";
        settings.TimeoutMs = 10000;
        return settings;
    }

    static inline std::string Skip;
    static inline std::string StartError;
    static inline std::unique_ptr<TTempDir> Temp;
    static inline std::unique_ptr<TPrivateHylafax> Server;
    static inline int Counter = 0;
    std::string Document;
};

}  // namespace

TEST_F(HylafaxServer, HandsOverADeferredJobThatAKillEnds) {
    THylafaxClient client(Settings());
    THylafaxJobRequest request = MakeRequest(Document, UtcInOneHour());
    THylafaxSubmitResult submitted = client.Submit(request);
    ASSERT_EQ(submitted.Outcome, hoOk) << submitted.Error;
    ASSERT_FALSE(submitted.JobId.empty());

    THylafaxJobStatus waiting = client.Query(submitted.JobId);
    ASSERT_EQ(waiting.Outcome, hoOk) << waiting.Error;
    EXPECT_TRUE(waiting.Exists);
    EXPECT_EQ(waiting.State, "PENDING");

    std::string error;
    ASSERT_EQ(client.Kill(submitted.JobId, error), hoOk) << error;
    THylafaxJobStatus killed = WaitUntilFinished(client, submitted.JobId, 30);
    ASSERT_EQ(killed.Outcome, hoOk) << killed.Error;
    EXPECT_TRUE(killed.Failed()) << killed.State;
    EXPECT_EQ(killed.Status, "Job aborted by request");
    EXPECT_EQ(client.Kill(submitted.JobId, error), hoRefused) << "a finished job cannot be killed again";

    THylafaxJobStatus unknown = client.Query("999999");
    EXPECT_EQ(unknown.Outcome, hoOk);
    EXPECT_FALSE(unknown.Exists);
}

TEST_F(HylafaxServer, RefusesAnUnknownModem) {
    THylafaxSettings settings = Settings();
    settings.Modem = "ttyNoSuchModem";
    THylafaxJobRequest request = MakeRequest(Document, UtcInOneHour());
    THylafaxSubmitResult submitted = THylafaxClient(settings).Submit(request);
    EXPECT_EQ(submitted.Outcome, hoRefused);
    EXPECT_NE(submitted.Error.find("refused"), std::string::npos) << submitted.Error;
}

// One page: between two iaxmodems a second page of the same call ends in a
// T.30 T2 timeout on this set-up, and HylaFAX then sends it in a second call.
TEST_F(HylafaxServer, FaxesThroughTwoModemsAndTheFarEndReceivesTheSamePage) {
    std::vector<TFaxPage> pages = {MakePatternPage(400, 101)};
    std::string document = *Temp / "sent.tif";
    ASSERT_TRUE(WriteFaxTiff(document, pages));
    THylafaxSettings settings = Settings();
    settings.Modem = Server->ModemA();
    THylafaxClient client(settings);

    THylafaxSubmitResult submitted = client.Submit(MakeRequest(document, ""));
    ASSERT_EQ(submitted.Outcome, hoOk) << submitted.Error;
    THylafaxJobStatus finished = WaitUntilFinished(client, submitted.JobId, 180);
    ASSERT_EQ(finished.Outcome, hoOk) << finished.Error;
    ASSERT_TRUE(finished.Done()) << finished.State << ": " << finished.Status;
    EXPECT_EQ(finished.Pages, 1);

    // The receiving faxgetty files its copy in recvq when the call is over.
    // A call that broke after the page went through is repeated, so more
    // than one copy may arrive: one of them must equal what was sent.
    int copies = 0;
    bool identical = false;
    for (int i = 0; i < 60 && !identical; ++i) {
        copies = 0;
        for (const auto& entry : std::filesystem::directory_iterator(Server->Spool() + "/recvq")) {
            if (entry.path().extension() != ".tif") continue;
            ++copies;
            identical = identical || SamePages(ReadFaxTiff(entry.path().string()), pages);
        }
        if (!identical) std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    EXPECT_GE(copies, 1);
    EXPECT_TRUE(identical) << copies << " received copies, none equal to the page sent";
}
