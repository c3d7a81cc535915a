#include "hylafax/hylafax_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr size_t kMaxLine = 64 * 1024;

bool WaitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        int n = poll(&p, 1, timeoutMs);
        if (n > 0) return true;
        if (n == 0) return false;
        if (errno != EINTR) return false;
    }
}

}  // namespace

THylafaxSocket::~THylafaxSocket() { Close(); }

void THylafaxSocket::Close() {
    if (Fd >= 0) ::close(Fd);
    Fd = -1;
    Buffer.clear();
}

bool THylafaxSocket::ConnectAddress(const void* address, unsigned length, int family, int timeoutMs) {
    Close();
    int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    if (::connect(fd, static_cast<const sockaddr*>(address), length) != 0) {
        if (errno != EINPROGRESS || !WaitFor(fd, POLLOUT, timeoutMs)) {
            ::close(fd);
            return false;
        }
        int soError = 0;
        socklen_t soLength = sizeof soError;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &soLength) != 0 || soError != 0) {
            ::close(fd);
            errno = soError;
            return false;
        }
    }
    Fd = fd;
    return true;
}

bool THylafaxSocket::Connect(const std::string& host, int port, int timeoutMs, std::string& error) {
    if (port <= 0 || port > 65535) {
        error = "invalid port " + std::to_string(port);
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
    if (rc != 0) {
        error = "cannot resolve " + host + ": " + gai_strerror(rc);
        return false;
    }
    int lastErrno = 0;
    for (addrinfo* a = list; a; a = a->ai_next) {
        if (ConnectAddress(a->ai_addr, a->ai_addrlen, a->ai_family, timeoutMs)) {
            freeaddrinfo(list);
            return true;
        }
        lastErrno = errno;
    }
    freeaddrinfo(list);
    error = "cannot connect to " + host + ":" + std::to_string(port) + ": " +
            (lastErrno ? std::strerror(lastErrno) : "timed out");
    return false;
}

bool THylafaxSocket::ConnectToPeerPort(const THylafaxSocket& peer, int port, int timeoutMs, std::string& error) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (peer.Fd < 0 || getpeername(peer.Fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error = "control connection lost";
        return false;
    }
    if (address.ss_family == AF_INET) {
        reinterpret_cast<sockaddr_in*>(&address)->sin_port = htons(static_cast<uint16_t>(port));
    } else if (address.ss_family == AF_INET6) {
        reinterpret_cast<sockaddr_in6*>(&address)->sin6_port = htons(static_cast<uint16_t>(port));
    } else {
        error = "unsupported address family";
        return false;
    }
    if (!ConnectAddress(&address, length, address.ss_family, timeoutMs)) {
        error = std::string("cannot open the data connection: ") + std::strerror(errno ? errno : ETIMEDOUT);
        return false;
    }
    return true;
}

bool THylafaxSocket::ReadLine(std::string& line, int timeoutMs) {
    for (;;) {
        size_t end = Buffer.find('\n');
        if (end != std::string::npos) {
            line.assign(Buffer, 0, end);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            Buffer.erase(0, end + 1);
            return true;
        }
        if (Fd < 0 || Buffer.size() > kMaxLine || !WaitFor(Fd, POLLIN, timeoutMs)) return false;
        char chunk[4096];
        ssize_t n = ::recv(Fd, chunk, sizeof chunk, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        Buffer.append(chunk, static_cast<size_t>(n));
    }
}

bool THylafaxSocket::ReadToEnd(std::string& bytes, size_t limit, int timeoutMs) {
    bytes.swap(Buffer);
    Buffer.clear();
    for (;;) {
        if (bytes.size() > limit) return false;
        if (Fd < 0 || !WaitFor(Fd, POLLIN, timeoutMs)) return false;
        char chunk[65536];
        ssize_t n = ::recv(Fd, chunk, sizeof chunk, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        bytes.append(chunk, static_cast<size_t>(n));
    }
}

bool THylafaxSocket::WriteAll(const std::string& bytes, int timeoutMs) {
    size_t done = 0;
    while (done < bytes.size()) {
        if (Fd < 0 || !WaitFor(Fd, POLLOUT, timeoutMs)) return false;
        ssize_t n = ::send(Fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}
