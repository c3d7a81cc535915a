#include "fake_hfaxd.h"

#include <algorithm>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int ListenOnLoopback(int& port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 4) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0) close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

bool Readable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0;
}

void Send(int fd, const std::string& text) {
    if (!text.empty()) send(fd, text.data(), text.size(), MSG_NOSIGNAL);
}

}  // namespace

TFakeHfaxd::TFakeHfaxd(std::string greeting) : Greeting(std::move(greeting)) {
    ListenFd = ListenOnLoopback(ListenPort);
    Worker = std::thread([this] { Serve(); });
}

TFakeHfaxd::~TFakeHfaxd() {
    Stopping = true;
    Worker.join();
    if (ListenFd >= 0) close(ListenFd);
    if (DataFd >= 0) close(DataFd);
}

void TFakeHfaxd::On(const std::string& command, const std::string& reply) {
    std::lock_guard<std::mutex> guard(Lock);
    Replies[command] = reply;
}

std::vector<std::string> TFakeHfaxd::Commands() const {
    std::lock_guard<std::mutex> guard(Lock);
    return Received;
}

std::string TFakeHfaxd::Uploaded() const {
    std::lock_guard<std::mutex> guard(Lock);
    return UploadedBytes;
}

std::string TFakeHfaxd::ReplyFor(const std::string& command) const {
    std::lock_guard<std::mutex> guard(Lock);
    auto whole = Replies.find(command);
    if (whole != Replies.end()) return whole->second;
    auto first = Replies.find(command.substr(0, command.find(' ')));
    if (first != Replies.end()) return first->second;
    return "500 Command not understood.\r\n";
}

void TFakeHfaxd::Serve() {
    while (!Stopping && ListenFd >= 0) {
        if (!Readable(ListenFd, 50)) continue;
        int fd = accept4(ListenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        ++ConnectionCount;
        Talk(fd);
        close(fd);
    }
}

void TFakeHfaxd::Talk(int fd) {
    Send(fd, Greeting.empty() ? "" : Greeting + "\r\n");
    std::string buffer;
    while (!Stopping) {
        if (!Readable(fd, 50)) continue;
        char chunk[1024];
        ssize_t n = recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) return;
        buffer.append(chunk, static_cast<size_t>(n));
        size_t end;
        while ((end = buffer.find("\r\n")) != std::string::npos) {
            std::string command = buffer.substr(0, end);
            buffer.erase(0, end + 2);
            {
                std::lock_guard<std::mutex> guard(Lock);
                Received.push_back(command);
            }
            if (command == "QUIT") {
                Send(fd, "221 Goodbye.\r\n");
                return;
            }
            if (command == "PASV") {
                int port = 0;
                if (DataFd >= 0) close(DataFd);
                DataFd = ListenOnLoopback(port);
                Send(fd, "227 Entering passive mode (127,0,0,1," + std::to_string(port / 256) + "," +
                             std::to_string(port % 256) + ")\r\n");
                continue;
            }
            if (command == "STOT" && DataFd >= 0) {
                Send(fd, "150 FILE: /tmp/doc7.tif (Opening new data connection).\r\n");
                int data = Readable(DataFd, 5000) ? accept4(DataFd, nullptr, nullptr, SOCK_CLOEXEC) : -1;
                std::string bytes;
                while (data >= 0 && Readable(data, 5000)) {
                    ssize_t got = recv(data, chunk, sizeof chunk, 0);
                    if (got <= 0) break;
                    bytes.append(chunk, static_cast<size_t>(got));
                }
                if (data >= 0) close(data);
                {
                    std::lock_guard<std::mutex> guard(Lock);
                    UploadedBytes = bytes;
                }
                Send(fd, "226 Transfer complete (FILE: /tmp/doc7.tif).\r\n");
                continue;
            }
            std::string reply = ReplyFor(command);
            for (size_t at = 0; LinePauseMs > 0 && at < reply.size();) {
                size_t end = std::min(reply.find('\n', at), reply.size() - 1) + 1;
                Send(fd, reply.substr(at, end - at));
                std::this_thread::sleep_for(std::chrono::milliseconds(LinePauseMs));
                at = end;
            }
            if (LinePauseMs == 0) Send(fd, reply);
        }
    }
}
