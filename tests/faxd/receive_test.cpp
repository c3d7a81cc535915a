// Receiving through a real pelmor-faxd on the simulated line: the receive
// command, the inbox operations, forwarding, and kill -9 while filing.
#include "body_renderer.h"
#include "fax_tiff.h"
#include "service_process.h"

#include "temp_dir.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

// A memo of two pages.
std::string WriteMemo(const TTempDir& dir) {
    std::string text;
    for (int line = 1; line <= 90; ++line) text += "受信テスト " + std::to_string(line) + " 行目\n";
    return dir.WriteFile("memo.txt", text);
}

// Runs `pelmor-faxd receive`; its exit code, its output in output.
int Receive(const TServiceProcess& service, const std::string& file, const std::string& from, std::string& output) {
    std::string outPath = fs::path(service.DataDir()).parent_path() / "receive.out";
    std::string command = FaxdProgram() + " receive " + file + " --from " + from + " --socket " +
                          service.SocketPath() + " --config /dev/null > " + outPath + " 2>&1";
    int status = std::system(command.c_str());
    output = ReadFileBytes(outPath);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QJsonArray Inbox(const TServiceProcess& service) { return service.Ask({{"op", "inbox"}})["faxes"].toArray(); }

std::vector<TFaxPage> Pages(const std::string& tiff) {
    std::vector<TFaxPage> pages;
    std::string error;
    EXPECT_TRUE(ReadFaxTiff(tiff, pages, error)) << tiff << ": " << error;
    return pages;
}

}  // namespace

TEST(SimulatedReceive, ReceivedPagesEqualTheRenderedFileAndForwardingSendsThemAsTheyAre) {
    TTempDir dir;
    TServiceProcess service(dir / "data", dir / "run/socket");
    ASSERT_TRUE(service.Start());
    std::string memo = WriteMemo(dir);
    std::string output;
    ASSERT_EQ(Receive(service, memo, "0312345678", output), 0) << output;
    EXPECT_NE(output.find("模擬回線"), std::string::npos) << output;

    QJsonArray faxes = Inbox(service);
    ASSERT_EQ(faxes.size(), 1);
    QJsonObject fax = faxes[0].toObject();
    EXPECT_EQ(fax["station"].toString(), "0312345678");
    EXPECT_EQ(fax["number"].toString(), "0312345678");
    EXPECT_EQ(fax["line"].toString(), "simulated");
    EXPECT_TRUE(fax["simulated"].toBool());
    EXPECT_FALSE(fax["read"].toBool(true));

    std::string rendered = dir / "rendered.tif", error;
    int pages = 0;
    ASSERT_TRUE(RenderBody(memo, btText, rendered, pages, error)) << error;
    ASSERT_EQ(pages, 2);
    EXPECT_EQ(fax["pages"].toInt(), pages);
    std::string received = dir / ("data/Inbox/" + fax["id"].toString().toStdString() + ".tif");
    EXPECT_TRUE(Pages(received) == Pages(rendered)) << "received pages differ from the rendered file";

    QJsonObject forwarded = service.Ask({{"op", "forward"}, {"id", fax["id"]}, {"recipients", QJsonArray{"0612345678"}}});
    ASSERT_TRUE(forwarded["ok"].toBool()) << forwarded["error"].toString().toStdString();
    std::string job = forwarded["jobs"].toArray()[0].toString().toStdString();
    std::vector<QJsonObject> jobs = service.WaitUntilSettled();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0]["state"].toString(), "done") << jobs[0]["error"].toString().toStdString();
    EXPECT_TRUE(Pages(dir / ("data/SentItems/" + job + ".tif")) == Pages(received))
        << "the forwarded job's pages differ from the received ones";

    EXPECT_TRUE(service.Ask({{"op", "mark"}, {"id", fax["id"]}, {"read", true}})["ok"].toBool());
    EXPECT_TRUE(Inbox(service)[0].toObject()["read"].toBool());
    EXPECT_TRUE(service.Ask({{"op", "delete"}, {"id", fax["id"]}})["ok"].toBool());
    EXPECT_TRUE(Inbox(service).isEmpty());
    EXPECT_TRUE(fs::exists(dir / "data/Trash/1.tif"));
    EXPECT_EQ(service.Ask({{"op", "forward"}, {"id", "1"}, {"recipients", QJsonArray{"0612345678"}}})["error"],
              "no such fax");
}

// Killed while filing: before the record was written the fax was never
// acknowledged (and is gone); after it, the fax is there, listed once.
TEST(SimulatedReceive, KillDuringFilingLeavesTheFaxListedOnceOrNotAtAll) {
    const struct {
        const char* KillAt;
        int Listed;
    } cases[] = {{"inbox-pages", 0}, {"inbox-record", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.KillAt);
        TTempDir dir;
        std::string memo = dir.WriteFile("memo.txt", "kill me while filing\n"), output;
        {
            TServiceProcess service(dir / "data", dir / "run/socket");
            ASSERT_TRUE(service.Start(c.KillAt));
            EXPECT_NE(Receive(service, memo, "0312345678", output), 0) << output;
            int status = service.WaitForExit();
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        }
        for (int start = 0; start < 2; ++start) {
            TServiceProcess service(dir / "data", dir / "run/socket");
            ASSERT_TRUE(service.Start());
            EXPECT_EQ(Inbox(service).size(), c.Listed);
        }
        size_t tiffs = 0;
        for (const auto& entry : fs::directory_iterator(dir / "data/Inbox"))
            tiffs += entry.path().extension() == ".tif";
        EXPECT_EQ(tiffs, static_cast<size_t>(c.Listed));
    }
}

TEST(SimulatedReceive, RefusesWhatCannotBeSent) {
    TTempDir dir;
    TServiceProcess service(dir / "data", dir / "run/socket");
    ASSERT_TRUE(service.Start());
    std::string output;
    EXPECT_EQ(Receive(service, dir.WriteFile("empty.txt", ""), "0312345678", output), 1);
    EXPECT_EQ(Receive(service, dir / "missing.pdf", "0312345678", output), 1);
    EXPECT_NE(output.find("cannot read"), std::string::npos) << output;
    EXPECT_EQ(Receive(service, dir.WriteFile("memo.txt", "x"), "03-1234", output), 2);
    EXPECT_TRUE(Inbox(service).isEmpty());
}
