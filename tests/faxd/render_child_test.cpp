// The render child's verdicts and the limits it runs under.
#include "picture_readers.h"
#include "render_process.h"
#include "temp_dir.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(RenderChild, ADiskThatRefusesTheFaxIsATemporaryFailure)
{
    TTempDir dir;
    std::string body = dir.WriteFile("memo.txt", "hello\n");
    // Every write to /dev/full fails as on a full disk.
    std::string out = dir / "out.part";
    ASSERT_EQ(symlink("/dev/full", out.c_str()), 0);
    testing::internal::CaptureStdout();
    int code = RunRenderChild("text", body, out);
    std::string verdict = testing::internal::GetCapturedStdout();
    EXPECT_NE(code, 0);
    EXPECT_EQ(verdict.rfind("retry ", 0), 0u) << verdict;
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

// A script stands in for the renderer.
TEST(RenderChild, GetsDescriptorsNeverPathsAndEndsSoonAfterItsVerdict)
{
    TTempDir dir;
    std::string body = dir.WriteFile("body", "the page"), out = dir / "out.part";
    auto render = [&](const std::string& bodyPath, const std::string& script) {
        std::string path = dir.WriteFile("renderer.sh", "#!/bin/sh\n" + script);
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        int pages = 0;
        std::string error;
        return RenderInChildProcess(path, btText, bodyPath, out, pages, error);
    };
    // No paths, the body on 3, the fax to 4.
    const std::string echo = "[ $# -eq 2 ] || exit 1\ncat <&3 >&4 && echo 'pages 1'\n";
    EXPECT_TRUE(render(body, echo));
    EXPECT_EQ(ReadFileBytes(out), "the page");
    std::string planted = dir / "planted";
    ASSERT_EQ(symlink(body.c_str(), planted.c_str()), 0);
    EXPECT_FALSE(render(planted, echo));

    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(render(body, "echo 'pages 1'\nexec >&-\nexec sleep 120\n"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
}

TEST(RenderChild, ReachesNoNetworkAndHoldsFewFiles)
{
    int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    pid_t child = fork();
    if (child == 0) {
        std::string error;
        if (!ConfineRenderChild(error))
            _exit(1);
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            _exit(2);
        int opened = 0;
        while (opened < 1000 && open("/dev/null", O_RDONLY) >= 0)
            ++opened;
        _exit(opened < 1000 ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    close(listener);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not confined, 2: reached the network, 3: no descriptor limit";
}

TEST(RenderChild, AJpegOfEndlessScansIsRefused)
{
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    ASSERT_TRUE(writer.write(image));
    std::string jpeg = encoded.toStdString();
    TGreyPicture picture;
    std::string error;
    ASSERT_TRUE(ReadJpegPicture(jpeg, picture, error)) << error;

    // The last scan again and again: libjpeg only warns about each.
    size_t lastScan = jpeg.rfind("\xFF\xDA");
    ASSERT_NE(lastScan, std::string::npos);
    std::string scan = jpeg.substr(lastScan, jpeg.size() - 2 - lastScan);
    std::string endless = jpeg.substr(0, jpeg.size() - 2);
    for (int i = 0; i < 1100; ++i)
        endless += scan;
    endless += "\xFF\xD9";
    EXPECT_FALSE(ReadJpegPicture(endless, picture, error));
    EXPECT_NE(error.find("scans"), std::string::npos) << error;
}
