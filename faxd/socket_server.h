#pragma once

#include <atomic>
#include <chrono>
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
// answer or a line of its own, goes by Push into the client's own output
// buffer, which the loop sends as the client takes it: a client that does not
// read holds up nobody else, and is closed when its buffer outgrows
// MaxOutputBytes, when a send fails, or after IdleTimeout without traffic.
// Only clients running as this user are served.
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

    // Queues one whole line for a connection; false when it is gone or has
    // too much waiting. May be called from any thread.
    bool Push(TConnectionId connection, const std::string& line);

    // A connection that neither sends nor takes anything this long is closed,
    // unless it was kept open (one that waits for lines of the service's own).
    void SetIdleTimeout(std::chrono::milliseconds timeout) { IdleTimeout = timeout; }
    void KeepOpen(TConnectionId connection);

    // The longest request line accepted.
    static constexpr size_t MaxRequestBytes = 64 * 1024;
    static constexpr size_t MaxClients = 64;
    static constexpr size_t MaxClientsPerUser = 16;
    static constexpr size_t MaxOutputBytes = 4 << 20;

private:
    struct TConnection {
        int Fd = -1;
        uid_t Uid = 0;
        std::string Output; // what the client has yet to take
        bool Broken = false; // to be closed: a failed send or too much output
        bool Closing = false; // to be closed once the output is sent
        bool KeptOpen = false; // never closed for being idle
        std::chrono::steady_clock::time_point LastActive;
    };
    bool Flush(TConnection& connection); // with Guard held
    void Accept(TConnectionId id);
    void Wake();

    std::string Path;
    int ListenFd = -1;
    int LockFd = -1;
    int WakePipe[2] = {-1, -1};
    std::atomic<std::chrono::milliseconds> IdleTimeout{std::chrono::minutes(10)};
    std::mutex Guard;
    std::map<TConnectionId, TConnection> Connections; // guarded
};

// Whether a client of this peer uid is served by a service running as owner.
bool IsPeerAllowed(uid_t peer, uid_t owner);
// The uid of the process at the other end of a connected Unix socket; false
// when the system cannot tell.
bool PeerUid(int fd, uid_t& uid);
