#pragma once

#include <functional>
#include <string>
#include <sys/types.h>

// The service's Unix stream socket: a folder of mode 0700 owned by this user,
// a lock beside the socket so that one service serves it, and a loop that
// reads one request per line from each client and writes one answer line.
// Only clients running as this user are served.
class TSocketServer {
public:
    enum TListenResult { lrListening, lrAlreadyRunning, lrFailed };

    TSocketServer() = default;
    ~TSocketServer();
    TSocketServer(const TSocketServer&) = delete;
    TSocketServer& operator=(const TSocketServer&) = delete;

    TListenResult Listen(const std::string& socketPath, std::string& error);

    // Serves until stopFd becomes readable.
    void Run(const std::function<std::string(const std::string&)>& handle, int stopFd);

    // The longest request line accepted.
    static constexpr size_t MaxRequestBytes = 64 * 1024;
    static constexpr size_t MaxClients = 64;

private:
    std::string Path;
    int ListenFd = -1;
    int LockFd = -1;
};

// Whether a client of this peer uid is served by a service running as owner.
bool IsPeerAllowed(uid_t peer, uid_t owner);
// The uid of the process at the other end of a connected Unix socket; false
// when the system cannot tell.
bool PeerUid(int fd, uid_t& uid);
