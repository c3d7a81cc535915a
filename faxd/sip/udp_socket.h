#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <netinet/in.h>

// A non-blocking UDP socket bound to one local address, for media.
class TUdpSocket {
public:
    TUdpSocket() = default;
    ~TUdpSocket();
    TUdpSocket(const TUdpSocket&) = delete;
    TUdpSocket& operator=(const TUdpSocket&) = delete;

    // Binds to address on a free port; false with error.
    bool Bind(const std::string& address, std::string& error);
    int Port() const { return LocalPort; }
    int Fd() const { return Socket; }

    // Where Send goes; false when address is not an IPv4 address.
    bool Aim(const std::string& address, int port);
    void Send(const uint8_t* data, size_t size) const;
    // One waiting datagram into buffer; false when none waits.
    bool Receive(std::vector<uint8_t>& buffer) const;

private:
    int Socket = -1;
    int LocalPort = 0;
    sockaddr_in Peer{};
    bool Aimed = false;
};
