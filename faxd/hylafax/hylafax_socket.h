#pragma once

#include <string>

// A TCP connection with a time limit on connecting and on every read and write.
// Every operation reports failure as false; the connection is then unusable.
class THylafaxSocket {
public:
    THylafaxSocket() = default;
    ~THylafaxSocket();
    THylafaxSocket(const THylafaxSocket&) = delete;
    THylafaxSocket& operator=(const THylafaxSocket&) = delete;

    // Connects to host:port (name or numeric address, IPv4 or IPv6). On failure
    // error says why.
    bool Connect(const std::string& host, int port, int timeoutMs, std::string& error);
    // Connects to another port of the peer this socket is connected to.
    bool ConnectToPeerPort(const THylafaxSocket& peer, int port, int timeoutMs, std::string& error);

    // One line without its CR LF. Lines longer than 64 KiB fail.
    bool ReadLine(std::string& line, int timeoutMs);
    bool WriteAll(const std::string& bytes, int timeoutMs);
    // Everything until the peer closes (what ReadLine left included); false
    // when more than limit bytes come or a read times out.
    bool ReadToEnd(std::string& bytes, size_t limit, int timeoutMs);
    void Close();
    bool IsOpen() const { return Fd >= 0; }

private:
    bool ConnectAddress(const void* address, unsigned length, int family, int timeoutMs);

    int Fd = -1;
    std::string Buffer;
};
