#include "fax_test_pages.h"
#include "fax_tiff.h"
#include "office_test_files.h"
#include "request_handler.h"
#include "service_options.h"
#include "faxproto/fax_socket.h"
#include "service_process.h"
#include "socket_server.h"
#include "temp_dir.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

QJsonObject Submit(const TServiceProcess& service, const QJsonArray& numbers, const std::string& body)
{
    return service.Ask({{"op", "submit"}, {"recipients", numbers}, {"body", QString::fromStdString(body)}});
}

std::string ErrorOf(const QJsonObject& answer)
{
    EXPECT_FALSE(answer["ok"].toBool(true));
    return answer["error"].toString().toStdString();
}

class ServiceTest : public ::testing::Test {
protected:
    TTempDir Dir;
    TServiceProcess Service{Dir / "data", Dir / "run/socket"};

    void SetUp() override { ASSERT_TRUE(Service.Start()); }
};

} // namespace

TEST_F(ServiceTest, ConnectAnswersForThisHostOnly)
{
    std::string host = LocalHostName();
    QJsonObject answer = Service.Ask({{"op", "connect"}, {"server", QString::fromStdString(host)}});
    EXPECT_TRUE(answer["ok"].toBool());
    EXPECT_EQ(answer["service"].toString(), "pelmor-faxd");
    EXPECT_EQ(answer["protocol"].toInt(), 1);
    EXPECT_EQ(answer["line"].toString(), "simulated");
    EXPECT_TRUE(answer["simulated"].toBool());
    std::string upper = host;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    EXPECT_TRUE(Service.Ask({{"op", "connect"}, {"server", QString::fromStdString(upper)}})["ok"].toBool());
    EXPECT_NE(ErrorOf(Service.Ask({{"op", "connect"}, {"server", "elsewhere.example"}})).find("unknown server"),
              std::string::npos);
    // The socket's folder is private.
    struct stat info{};
    ASSERT_EQ(stat((Dir / "run").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(ServiceTest, MalformedAndUnknownRequestsAreRefusedAndTheConnectionServesOn)
{
    EXPECT_EQ(Service.AskRaw("not json"), R"({"error":"malformed request","ok":false})");
    EXPECT_EQ(Service.AskRaw(R"(["op","jobs"])"), R"({"error":"malformed request","ok":false})");
    EXPECT_EQ(Service.AskRaw(R"({"op":"delete-everything"})"), R"({"error":"unknown op","ok":false})");
    EXPECT_EQ(Service.AskRaw(R"({"nothing":1})"), R"({"error":"missing op","ok":false})");
    // A request line longer than the limit ends that connection only.
    std::string huge = R"({"op":"jobs","pad":")" + std::string(200000, 'x') + R"("})";
    EXPECT_NE(Service.AskRaw(huge).find("request too long"), std::string::npos);
    EXPECT_TRUE(Service.Ask({{"op", "jobs"}})["ok"].toBool());
}

TEST_F(ServiceTest, SubmitRefusesBadNumbersAndBodiesBeforeMakingAJob)
{
    std::string memo = Dir.WriteFile("memo.txt", "本日はよろしくお願いします。\n");
    for (const QJsonValue& number : {QJsonValue("03-1234-5678"), QJsonValue("０３１２"), QJsonValue(""),
                                     QJsonValue(312345678), QJsonValue("0312345678 "), QJsonValue("+81312345678")})
        EXPECT_NE(ErrorOf(Submit(Service, QJsonArray{number}, memo)).find("fax number"), std::string::npos)
            << number.toVariant().toString().toStdString();
    EXPECT_EQ(ErrorOf(Submit(Service, QJsonArray{}, memo)), "no recipients");
    EXPECT_EQ(ErrorOf(Service.Ask({{"op", "submit"}, {"recipients", QJsonArray{"03"}}})), "no body");
    EXPECT_EQ(ErrorOf(Submit(Service, {"0312345678"}, "memo.txt")), "body must be an absolute path");
    EXPECT_EQ(ErrorOf(Submit(Service, {"0312345678"}, Dir / "missing.txt")), "cannot read the file");
    EXPECT_EQ(ErrorOf(Submit(Service, {"0312345678"}, Dir.Path().string())), "not a regular file");
    ASSERT_EQ(mkfifo((Dir / "fifo").c_str(), 0600), 0);
    // A writer waits until someone opens the FIFO for reading: the service never does.
    std::atomic<bool> writerIn{false};
    std::thread writer([&] {
        int fd = open((Dir / "fifo").c_str(), O_WRONLY | O_CLOEXEC);
        writerIn = true;
        close(fd);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(ErrorOf(Submit(Service, {"0312345678"}, Dir / "fifo")), "not a regular file");
    EXPECT_FALSE(writerIn) << "the service opened the FIFO";
    int reader = open((Dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    writer.join();
    close(reader);
    EXPECT_EQ(ErrorOf(Submit(Service, {"0312345678"}, Dir.WriteFile("empty.txt", ""))), "empty file");
    EXPECT_EQ(ErrorOf(Submit(Service, {"0312345678"}, Dir.WriteFile("a.zip", std::string("PK\3\4\0\0\0\0", 8)))),
              "unsupported file type");
    EXPECT_EQ(ErrorOf(Submit(Service, {"0312345678"}, Dir.WriteFile("a.doc", std::string("\xD0\xCF\x11\xE0\0\0", 6)))),
              "unsupported file type");

    EXPECT_TRUE(Service.Ask({{"op", "jobs"}})["jobs"].toArray().isEmpty());
    // Nothing of the refused submissions stays in the spool.
    for (const fs::directory_entry& entry : fs::directory_iterator(Dir / "data/spool"))
        EXPECT_EQ(entry.path().filename(), ".lock");
}

TEST_F(ServiceTest, AcceptedMemoIsSentOnTheSimulatedLineAndFiledInSentItems)
{
    std::string memo = Dir.WriteFile("memo.txt", "\xEF\xBB\xBF本日はよろしくお願いします。\n\tFAX送信テスト\n");
    QJsonObject answer = Submit(Service, {"0312345678", "0001"}, memo);
    ASSERT_TRUE(answer["ok"].toBool()) << answer["error"].toString().toStdString();
    QJsonArray ids = answer["jobs"].toArray();
    ASSERT_EQ(ids.size(), 2);
    // The service works on its own copy: the original may go at once.
    fs::remove(memo);

    std::vector<QJsonObject> jobs = Service.WaitUntilSettled();
    ASSERT_EQ(jobs.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const QJsonObject& job = jobs[i];
        std::string id = ids[i].toString().toStdString();
        EXPECT_EQ(job["id"].toString().toStdString(), id);
        EXPECT_EQ(job["state"].toString(), "done") << job["error"].toString().toStdString();
        EXPECT_EQ(job["pages"].toInt(), 1);
        EXPECT_EQ(job["line"].toString(), "simulated");
        EXPECT_TRUE(job["simulated"].toBool());
        EXPECT_TRUE(job["error"].toString().isEmpty());

        // Sent Items holds the fax; the far end received the same pages.
        std::vector<TFaxPage> sent, received;
        std::string error;
        ASSERT_TRUE(ReadFaxTiff(Dir / ("data/SentItems/" + id + ".tif"), sent, error)) << error;
        ASSERT_TRUE(ReadFaxTiff(Dir / ("data/Received/" + id + ".tif"), received, error)) << error;
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_TRUE(sent == received);
        EXPECT_GT(sent[0].CountBlack(), 1000);
        // libtiff's own tools read it.
        std::string tiff = Dir / ("data/SentItems/" + id + ".tif");
        EXPECT_EQ(std::system(("tiffinfo -D " + tiff + " > /dev/null 2>&1").c_str()), 0);
        EXPECT_EQ(std::system(("tiff2pdf -o " + (Dir / "check.pdf") + " " + tiff + " 2>/dev/null").c_str()), 0);
        EXPECT_GT(fs::file_size(Dir / "check.pdf"), 1000u);
    }
    // Filed in order: the later job's fax is the newer entry.
    EXPECT_LE(fs::last_write_time(Dir / ("data/SentItems/" + ids[0].toString().toStdString() + ".tif")),
              fs::last_write_time(Dir / ("data/SentItems/" + ids[1].toString().toStdString() + ".tif")));
    EXPECT_EQ(jobs[0]["number"].toString(), "0312345678");
    EXPECT_EQ(jobs[1]["number"].toString(), "0001");

    // jobs.log: one line per job with the line's figures.
    std::ifstream log(Dir / "data/jobs.log");
    std::string line;
    int lines = 0;
    while (std::getline(log, line)) {
        ++lines;
        EXPECT_NE(line.find("\"state\":\"done\""), std::string::npos) << line;
        EXPECT_NE(line.find("\"bit_rate\":14400"), std::string::npos) << line;
        EXPECT_NE(line.find("\"line_seconds\":"), std::string::npos) << line;
        EXPECT_NE(line.find("\"wall_seconds\":"), std::string::npos) << line;
    }
    EXPECT_EQ(lines, 2);
    // The spool is empty again.
    for (const fs::directory_entry& entry : fs::directory_iterator(Dir / "data/spool"))
        EXPECT_EQ(entry.path().filename(), ".lock");
}

TEST_F(ServiceTest, CorruptPictureFailsItsJobAndTheNextJobIsStillSent)
{
    std::string bmp = "BM" + std::string(24, '\0');
    bmp[10] = 54; bmp[14] = 40; bmp[18] = 100; bmp[22] = 100; bmp[26] = 1; bmp[28] = 24;
    std::string broken = Dir.WriteFile("broken.bmp", bmp);
    std::vector<TFaxPage> page = {MakeBoxTestPage(100, 100, 400, 400)};
    ASSERT_TRUE(WriteTestTiff(Dir / "good.tif", page));
    ASSERT_TRUE(Submit(Service, {"0311111111"}, broken)["ok"].toBool());
    ASSERT_TRUE(Submit(Service, {"0322222222"}, Dir / "good.tif")["ok"].toBool());
    std::vector<QJsonObject> jobs = Service.WaitUntilSettled();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0]["state"].toString(), "failed");
    EXPECT_NE(jobs[0]["error"].toString().toStdString().find("BMP"), std::string::npos)
        << jobs[0]["error"].toString().toStdString();
    EXPECT_EQ(jobs[1]["state"].toString(), "done");
    EXPECT_TRUE(fs::exists(Dir / "data/Failed/1.bmp"));
    EXPECT_FALSE(fs::exists(Dir / "data/SentItems/1.tif"));
    EXPECT_TRUE(fs::exists(Dir / "data/SentItems/2.tif"));
}

TEST(ServiceWithoutOffice, OfficeDocumentIsRefusedAndShownFailedWhileCsvGoesAsText)
{
    TTempDir dir;
    TServiceProcess service(dir / "data", dir / "run/socket");
    ASSERT_TRUE(service.Start("", {"--office", dir / "no-such/soffice"}));
    std::string docx = dir.WriteFile("見積書.docx", MakeZip({{"word/document.xml", "<w:document/>"}}));
    EXPECT_EQ(ErrorOf(Submit(service, {"0311111111", "0322222222"}, docx)), "office documents need LibreOffice");
    ASSERT_TRUE(Submit(service, {"0333333333"}, dir.WriteFile("一覧.csv", "品名,数量\nりんご,12\n"))["ok"].toBool());

    std::vector<QJsonObject> jobs = service.WaitUntilSettled();
    ASSERT_EQ(jobs.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(jobs[i]["state"].toString(), "failed");
        EXPECT_EQ(jobs[i]["error"].toString(), "office documents need LibreOffice");
        // The document is kept, under its kind's name.
        EXPECT_TRUE(fs::exists(dir / ("data/Failed/" + jobs[i]["id"].toString().toStdString() + ".docx")));
    }
    EXPECT_EQ(jobs[2]["state"].toString(), "done") << jobs[2]["error"].toString().toStdString();
    EXPECT_EQ(jobs[2]["pages"].toInt(), 1);
}

TEST_F(ServiceTest, JobsCommandPrintsTheList)
{
    ASSERT_TRUE(Submit(Service, {"0312345678"}, Dir.WriteFile("m.txt", "memo"))["ok"].toBool());
    Service.WaitUntilSettled();
    std::string command = FaxdProgram() + " jobs --socket " + Service.SocketPath() + " --config /dev/null > "
        + (Dir / "out.txt");
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string out = ReadFileBytes(Dir / "out.txt");
    EXPECT_NE(out.find("0312345678"), std::string::npos) << out;
    EXPECT_NE(out.find("done"), std::string::npos) << out;
    EXPECT_NE(out.find("simulated"), std::string::npos) << out;
}

TEST_F(ServiceTest, SecondServiceOnTheSameSocketLeavesTheFirstAlone)
{
    TServiceProcess second(Dir / "other-data", Service.SocketPath());
    std::string command = FaxdProgram() + " --foreground --config /dev/null --data-dir " + (Dir / "other")
        + " --socket " + Service.SocketPath() + " 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(Service.Ask({{"op", "jobs"}})["ok"].toBool());
}

TEST(ServiceCredentials, ClientOfAnotherUserIsRefused)
{
    uid_t peer = 0;
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    ASSERT_TRUE(PeerUid(pair[0], peer));
    EXPECT_EQ(peer, geteuid());
    close(pair[0]);
    close(pair[1]);
    EXPECT_TRUE(IsPeerAllowed(1000, 1000));
    EXPECT_FALSE(IsPeerAllowed(0, 1000));
    EXPECT_FALSE(IsPeerAllowed(1001, 1000));

    if (geteuid() != 0)
        GTEST_SKIP() << "connecting as another user needs root";
    TTempDir dir;
    TServiceProcess service(dir / "data", dir / "run/socket");
    ASSERT_TRUE(service.Start());
    // Open the way to the socket so that only the credential check stands.
    chmod(dir.Path().c_str(), 0755);
    chmod((dir / "run").c_str(), 0755);
    chmod((dir / "run/socket").c_str(), 0777);
    pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        std::string answer = service.AskRaw(R"({"op":"jobs"})");
        _exit(answer.find("permission denied") != std::string::npos ? 0 : answer.empty() ? 4 : 5);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: cannot become nobody, 4: no answer, 5: served";
}

TEST(ServiceOptions, LineOptionsConfigFileAndDefaults)
{
    TTempDir dir;
    std::string config = dir.WriteFile("config", "# settings\nline = simulated\ndata-dir = /from/file\n"
                                                 "socket = /from/file/socket\nnotify = off\n");
    TServiceOptions options;
    std::string error;
    ASSERT_TRUE(ParseServiceOptions({"--config", config, "--data-dir", "/from/args"}, options, error)) << error;
    EXPECT_EQ(options.DataDir, "/from/args");
    EXPECT_FALSE(options.Notify);
    EXPECT_EQ(options.SocketPath, "/from/file/socket");
    EXPECT_EQ(options.LineName, "simulated");
    EXPECT_FALSE(options.Foreground);

    ASSERT_TRUE(ParseServiceOptions({"jobs", "--config=/dev/null", "--simulated-speed", "9600", "--foreground"},
                                    options = {}, error));
    EXPECT_EQ(options.Command, "jobs");
    EXPECT_TRUE(options.Foreground);
    EXPECT_EQ(options.LineOptions, (TLineOptions{{"speed", "9600"}}));

    EXPECT_FALSE(ParseServiceOptions({"--config", "/dev/null", "--colour", "red"}, options = {}, error));
    EXPECT_NE(error.find("--colour"), std::string::npos);
    EXPECT_FALSE(ParseServiceOptions({"--config", "/dev/null", "--line", "telegraph"}, options = {}, error));
    EXPECT_FALSE(ParseServiceOptions({"--config", "/dev/null", "--notify", "maybe"}, options = {}, error));
    EXPECT_FALSE(ParseServiceOptions({"--config", dir / "missing"}, options = {}, error));
    EXPECT_FALSE(ParseServiceOptions({"--config", dir.WriteFile("bad", "no equals sign\n")}, options = {}, error));

    setenv("XDG_DATA_HOME", "/xdg/data", 1);
    setenv("XDG_RUNTIME_DIR", "/xdg/run", 1);
    unsetenv("PELMOR_FAXD_SOCKET");
    EXPECT_EQ(DefaultDataDir(), "/xdg/data/pelmor-faxd");
    EXPECT_EQ(DefaultFaxSocketPath(), "/xdg/run/pelmor-faxd/socket");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(DefaultFaxSocketPath(), "/tmp/pelmor-faxd-" + std::to_string(getuid()) + "/socket");
    setenv("PELMOR_FAXD_SOCKET", "/given/socket", 1);
    EXPECT_EQ(DefaultFaxSocketPath(), "/given/socket");
    unsetenv("PELMOR_FAXD_SOCKET");
}
