#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <sys/types.h>

// Which connection a request came from; never used twice in one run.
using TConnectionId = std::uint64_t;

// The service's Unix stream socket: a folder of mode 0700 owned by this user,
// a lock beside the socket so that one service serves it, and a loop that
// reads request lines from each client. What goes back to a client, be it an
// answer or a line of its own, goes by Push. Only clients running as this
// user are served.
class TSocketServer {
public:
    enum TListenResult { lrListening, lrAlreadyRunning, lrFailed };
    using TLineHandler = std::function<void(TConnectionId, const std::string&)>;
    using TClosedHandler = std::function<void(TConnectionId)>;

    TSocketServer() = default;
    ~TSocketServer();
    TSocketServer(const TSocketServer&) = delete;
    TSocketServer& operator=(const TSocketServer&) = delete;

    TListenResult Listen(const std::string& socketPath, std::string& error);

    // Serves until stopFd becomes readable: onLine gets each request line,
    // onClosed (when given) each connection that went away.
    void Run(const TLineHandler& onLine, int stopFd, const TClosedHandler& onClosed = {});

    // Writes one line to a connection; false when it is gone or does not take
    // the line. May be called from any thread.
    bool Push(TConnectionId connection, const std::string& line);

    // The longest request line accepted.
    static constexpr size_t MaxRequestBytes = 64 * 1024;
    static constexpr size_t MaxClients = 64;

private:
    std::string Path;
    int ListenFd = -1;
    int LockFd = -1;
    std::mutex Guard;
    std::map<TConnectionId, int> Connections; // guarded: the socket of each connection
};

// Whether a client of this peer uid is served by a service running as owner.
bool IsPeerAllowed(uid_t peer, uid_t owner);
// The uid of the process at the other end of a connected Unix socket; false
// when the system cannot tell.
bool PeerUid(int fd, uid_t& uid);
