#include "serving_thread.h"

#include "durable/unique_fd.h"
#include "faxproto/fax_socket.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
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
    std::atomic<TConnectionId> watcher{0};
    TServing serving;
    serving.Start([&](TConnectionId from, const std::string& line) {
        if (line == "watch") {
            watcher = from;
            serving.Server.Push(from, "watching");
        } else {
            serving.Server.Push(watcher, "event " + line);
            serving.Server.Push(from, "done");
        }
    });

    TUniqueFd watching = ConnectTo(serving.Path);
    SendLine(watching.Get(), "watch");
    EXPECT_EQ(ReadLine(watching.Get()), "watching");
    {
        TUniqueFd asking = ConnectTo(serving.Path);
        SendLine(asking.Get(), "submit");
        EXPECT_EQ(ReadLine(asking.Get()), "done");
        EXPECT_EQ(ReadLine(watching.Get()), "event submit");
    }
    while (serving.Closed == 0)
        std::this_thread::yield();
    EXPECT_NE(serving.Closed.load(), watcher.load());
    EXPECT_FALSE(serving.Server.Push(serving.Closed, "too late"));
    EXPECT_TRUE(serving.Server.Push(watcher, "still here"));
    EXPECT_EQ(ReadLine(watching.Get()), "still here");
}

// A client that asks for more than it reads is closed; nobody else waits for
// it, and it never sees a line cut short and then another line.
TEST(SocketServer, AClientThatDoesNotReadHoldsUpNobody)
{
    TServing serving;
    std::atomic<bool> refused{false};
    serving.Start([&](TConnectionId from, const std::string& line) {
        if (line != "flood") {
            serving.Server.Push(from, "pong");
            return;
        }
        for (int i = 0; i < 200 && !refused; ++i)
            refused = !serving.Server.Push(from, std::string(64 * 1024, 'a' + i % 26));
    });
    TUniqueFd hog = ConnectTo(serving.Path);
    SendLine(hog.Get(), "flood");
    TUniqueFd asking = ConnectTo(serving.Path);
    SendLine(asking.Get(), "ping");
    EXPECT_EQ(ReadLine(asking.Get()), "pong");
    while (serving.Closed == 0)
        std::this_thread::yield();
    EXPECT_TRUE(refused);
    std::string got;
    char buffer[65536];
    for (ssize_t n; (n = recv(hog.Get(), buffer, sizeof buffer, 0)) > 0;)
        got.append(buffer, static_cast<size_t>(n));
    size_t start = 0;
    for (size_t end; (end = got.find('\n', start)) != std::string::npos; start = end + 1)
        ASSERT_EQ(end - start, 64u * 1024) << "a line cut short";
}

TEST(SocketServer, ClosesIdleClientsAndRefusesOneUserTooMany)
{
    TServing serving;
    serving.Server.SetIdleTimeout(std::chrono::milliseconds(300));
    serving.Start([&](TConnectionId from, const std::string& line) {
        if (line == "watch")
            serving.Server.KeepOpen(from);
        serving.Server.Push(from, "pong");
    });
    TUniqueFd watcher = ConnectTo(serving.Path);
    SendLine(watcher.Get(), "watch");
    EXPECT_EQ(ReadLine(watcher.Get()), "pong");
    {
        TUniqueFd idle = ConnectTo(serving.Path);
        char byte;
        EXPECT_EQ(recv(idle.Get(), &byte, 1, 0), 0) << "closed without a word";
    }
    SendLine(watcher.Get(), "ping");
    EXPECT_EQ(ReadLine(watcher.Get()), "pong") << "a watcher waits as long as it likes";
    serving.Server.SetIdleTimeout(std::chrono::minutes(1));
    std::vector<TUniqueFd> clients;
    for (size_t i = 1; i < TSocketServer::MaxClientsPerUser; ++i) {
        clients.push_back(ConnectTo(serving.Path));
        SendLine(clients.back().Get(), "ping");
        ASSERT_EQ(ReadLine(clients.back().Get()), "pong");
    }
    TUniqueFd extra = ConnectTo(serving.Path);
    EXPECT_NE(ReadLine(extra.Get()).find("too many connections from this user"), std::string::npos);
}
