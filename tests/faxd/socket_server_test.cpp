#include "socket_server.h"
#include "temp_dir.h"

#include "durable/unique_fd.h"
#include "faxproto/fax_socket.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

namespace {

TUniqueFd ConnectTo(const std::string& path) {
    sockaddr_un address{};
    MakeSocketAddress(path, address);
    TUniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    timeval limit{10, 0};
    setsockopt(fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    EXPECT_EQ(connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
}

std::string ReadLine(int fd) {
    std::string line;
    char c;
    while (recv(fd, &c, 1, 0) == 1 && c != '\n')
        line += c;
    return line;
}

} // namespace

// Each connection has its own identity: a line can go to a connection other
// than the one that asked, and a connection that went is told apart.
TEST(SocketServer, PushesLinesToTheConnectionNamed)
{
    TTempDir dir;
    std::string path = dir / "run/socket";
    TSocketServer server;
    std::string error;
    ASSERT_EQ(server.Listen(path, error), TSocketServer::lrListening) << error;
    int stop[2];
    ASSERT_EQ(pipe(stop), 0);
    std::atomic<TConnectionId> watcher{0}, closed{0};
    std::thread serving([&] {
        server.Run(
            [&](TConnectionId from, const std::string& line) {
                if (line == "watch") {
                    watcher = from;
                    server.Push(from, "watching");
                } else {
                    server.Push(watcher, "event " + line);
                    server.Push(from, "done");
                }
            },
            stop[0], [&](TConnectionId gone) { closed = gone; });
    });

    TUniqueFd watching = ConnectTo(path);
    SendLine(watching.Get(), "watch");
    EXPECT_EQ(ReadLine(watching.Get()), "watching");
    {
        TUniqueFd asking = ConnectTo(path);
        SendLine(asking.Get(), "submit");
        EXPECT_EQ(ReadLine(asking.Get()), "done");
        EXPECT_EQ(ReadLine(watching.Get()), "event submit");
    }
    while (closed == 0)
        std::this_thread::yield();
    EXPECT_NE(closed.load(), watcher.load());
    EXPECT_FALSE(server.Push(closed, "too late"));
    EXPECT_TRUE(server.Push(watcher, "still here"));
    EXPECT_EQ(ReadLine(watching.Get()), "still here");

    ASSERT_EQ(write(stop[1], "x", 1), 1);
    serving.join();
    close(stop[0]);
    close(stop[1]);
}
