#include "udp_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

TUdpSocket::~TUdpSocket()
{
    if (Socket >= 0)
        close(Socket);
}

bool TUdpSocket::Bind(const std::string& address, std::string& error)
{
    sockaddr_in local{};
    local.sin_family = AF_INET;
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
        error = "not an IPv4 address: " + address;
        return false;
    }
    Socket = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    socklen_t length = sizeof local;
    if (Socket < 0 || bind(Socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0
        || getsockname(Socket, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        error = std::string("cannot open a media port: ") + std::strerror(errno);
        return false;
    }
    LocalPort = ntohs(local.sin_port);
    return true;
}

bool TUdpSocket::Aim(const std::string& address, int port)
{
    Peer = sockaddr_in{};
    Peer.sin_family = AF_INET;
    Peer.sin_port = htons(static_cast<uint16_t>(port));
    Aimed = inet_pton(AF_INET, address.c_str(), &Peer.sin_addr) == 1 && port > 0;
    return Aimed;
}

void TUdpSocket::Send(const uint8_t* data, size_t size) const
{
    if (Aimed && Socket >= 0)
        sendto(Socket, data, size, 0, reinterpret_cast<const sockaddr*>(&Peer), sizeof Peer);
}

bool TUdpSocket::Receive(std::vector<uint8_t>& buffer) const
{
    buffer.resize(2048);
    ssize_t got = Socket >= 0 ? recv(Socket, buffer.data(), buffer.size(), 0) : -1;
    if (got < 0)
        return false;
    buffer.resize(static_cast<size_t>(got));
    return true;
}
