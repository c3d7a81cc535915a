#include "socket_server.h"

#include "durable/durable_file.h"
#include "faxproto/fax_messages.h"
#include "faxproto/fax_socket.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

// The socket's folder: made when missing; it must be a real folder of ours,
// and nobody else may enter it.
bool PrepareFolder(const std::string& folder, std::string& error)
{
    if (!MakeFolder(folder, 0700)) {
        error = "cannot create " + folder;
        return false;
    }
    TSocketFolderState state = SocketFolderState(folder);
    if (state == sfsMissing || state == sfsNotOurs) {
        error = folder + " is not a folder of this user";
        return false;
    }
    if (state == sfsOpenToOthers && chmod(folder.c_str(), 0700) != 0) {
        error = "cannot make " + folder + " private";
        return false;
    }
    return true;
}

} // namespace

bool IsPeerAllowed(uid_t peer, uid_t owner)
{
    return peer == owner;
}

bool PeerUid(int fd, uid_t& uid)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof credentials)
        return false;
    uid = credentials.uid;
    return true;
}

TSocketServer::~TSocketServer()
{
    for (int fd : WakePipe)
        if (fd >= 0)
            close(fd);
    if (ListenFd >= 0) {
        close(ListenFd);
        unlink(Path.c_str());
    }
    if (LockFd >= 0)
        close(LockFd);
}

TSocketServer::TListenResult TSocketServer::Listen(const std::string& socketPath, std::string& error)
{
    sockaddr_un address{};
    if (!MakeSocketAddress(socketPath, address)) {
        error = "socket path too long: " + socketPath;
        return lrFailed;
    }
    if (!PrepareFolder(FaxSocketFolder(socketPath), error))
        return lrFailed;
    LockFd = open((socketPath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (LockFd < 0) {
        error = "cannot create " + socketPath + ".lock";
        return lrFailed;
    }
    if (flock(LockFd, LOCK_EX | LOCK_NB) != 0) {
        error = "pelmor-faxd is already running at " + socketPath;
        return lrAlreadyRunning;
    }
    // Holding the lock, whatever socket is there was left by a service that died.
    unlink(socketPath.c_str());
    ListenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    mode_t previous = umask(077);
    bool bound = ListenFd >= 0 && bind(ListenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    umask(previous);
    if (!bound || listen(ListenFd, 16) != 0 || pipe2(WakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = "cannot listen at " + socketPath;
        if (ListenFd >= 0)
            close(ListenFd);
        ListenFd = -1;
        return lrFailed;
    }
    Path = socketPath;
    return lrListening;
}

bool TSocketServer::Push(TConnectionId connection, const std::string& line)
{
    bool queued = false;
    {
        std::lock_guard lock(Guard);
        auto found = Connections.find(connection);
        if (found == Connections.end() || found->second.Broken)
            return false;
        TConnection& client = found->second;
        if (client.Output.size() + line.size() + 1 > MaxOutputBytes) {
            client.Broken = true;
        } else {
            client.Output.append(line).push_back('\n');
            queued = Flush(client);
        }
    }
    // The loop watches for the rest to go, or closes what broke.
    Wake();
    return queued;
}

void TSocketServer::KeepOpen(TConnectionId connection)
{
    std::lock_guard lock(Guard);
    auto found = Connections.find(connection);
    if (found != Connections.end())
        found->second.KeptOpen = true;
}

bool TSocketServer::Flush(TConnection& client)
{
    while (!client.Output.empty()) {
        ssize_t put = send(client.Fd, client.Output.data(), client.Output.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (put <= 0) {
            client.Broken = true;
            return false;
        }
        client.Output.erase(0, static_cast<size_t>(put));
        client.LastActive = std::chrono::steady_clock::now();
    }
    return true;
}

void TSocketServer::Wake()
{
    char byte = 1;
    if (WakePipe[1] >= 0 && write(WakePipe[1], &byte, 1) < 0) {
        // Full: the loop wakes anyway.
    }
}

void TSocketServer::Accept(TConnectionId id)
{
    int fd = accept4(ListenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0)
        return;
    uid_t peer = 0;
    std::string refusal;
    std::lock_guard lock(Guard);
    size_t ofUser = 0;
    bool known = PeerUid(fd, peer);
    for (const auto& [other, connection] : Connections)
        ofUser += connection.Uid == peer ? 1 : 0;
    if (!known || !IsPeerAllowed(peer, geteuid()))
        refusal = "permission denied";
    else if (Connections.size() >= MaxClients)
        refusal = "too many connections";
    else if (ofUser >= MaxClientsPerUser)
        refusal = "too many connections from this user";
    if (!refusal.empty()) {
        // Best effort: the refusal fits any socket buffer.
        std::string line = EncodeRefusal(refusal) + "\n";
        ssize_t put = send(fd, line.data(), line.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        (void)put;
        close(fd);
        return;
    }
    TConnection& connection = Connections[id];
    connection.Fd = fd;
    connection.Uid = peer;
    connection.LastActive = std::chrono::steady_clock::now();
}

void TSocketServer::Run(const TLineHandler& onLine, int stopFd, const TClosedHandler& onClosed)
{
    using TClock = std::chrono::steady_clock;
    std::map<TConnectionId, TLineBuffer> received; // only this thread's
    TConnectionId lastId = 0;
    auto forget = [&](TConnectionId id) {
        {
            std::lock_guard lock(Guard);
            auto found = Connections.find(id);
            if (found != Connections.end()) {
                close(found->second.Fd);
                Connections.erase(found);
            }
        }
        received.erase(id);
        if (onClosed)
            onClosed(id);
    };
    for (;;) {
        // Close what broke or idled; watch the rest, for output too where some waits.
        std::vector<pollfd> watched = {{stopFd, POLLIN, 0}, {ListenFd, POLLIN, 0}, {WakePipe[0], POLLIN, 0}};
        std::vector<TConnectionId> ids, gone;
        auto now = TClock::now();
        const std::chrono::milliseconds idleTimeout = IdleTimeout;
        auto wakeAt = now + idleTimeout;
        {
            std::lock_guard lock(Guard);
            for (auto& [id, connection] : Connections) {
                bool idle = !connection.KeptOpen && now - connection.LastActive >= idleTimeout;
                if (connection.Broken || idle || (connection.Closing && connection.Output.empty())) {
                    gone.push_back(id);
                    continue;
                }
                if (!connection.KeptOpen)
                    wakeAt = std::min(wakeAt, connection.LastActive + idleTimeout);
                short events = connection.Output.empty() ? POLLIN : POLLIN | POLLOUT;
                watched.push_back({connection.Fd, events, 0});
                ids.push_back(id);
            }
        }
        for (TConnectionId id : gone)
            forget(id);
        if (!gone.empty())
            continue;
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wakeAt - now).count() + 1;
        if (poll(watched.data(), watched.size(), static_cast<int>(std::max<long long>(wait, 0))) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (watched[0].revents)
            break;
        if (watched[2].revents & POLLIN) {
            char drain[64];
            while (read(WakePipe[0], drain, sizeof drain) > 0) {
            }
        }
        if (watched[1].revents & POLLIN)
            Accept(++lastId);
        for (size_t i = 3; i < watched.size(); ++i) {
            TConnectionId id = ids[i - 3];
            if (watched[i].revents & POLLOUT) {
                std::lock_guard lock(Guard);
                auto found = Connections.find(id);
                if (found != Connections.end())
                    Flush(found->second);
            }
            if (!(watched[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[8192];
            ssize_t got = recv(watched[i].fd, buffer, sizeof buffer, 0);
            if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            if (got <= 0) {
                forget(id);
                continue;
            }
            {
                std::lock_guard lock(Guard);
                auto found = Connections.find(id);
                if (found == Connections.end() || found->second.Closing)
                    continue;
                found->second.LastActive = TClock::now();
            }
            TLineBuffer& pending = received[id];
            pending.Append(buffer, static_cast<size_t>(got));
            std::string request;
            while (pending.TakeLine(request))
                if (!request.empty())
                    onLine(id, request);
            if (pending.PendingBytes() > MaxRequestBytes) {
                Push(id, EncodeRefusal("request too long"));
                std::lock_guard lock(Guard);
                auto found = Connections.find(id);
                if (found != Connections.end())
                    found->second.Closing = true;
            }
        }
    }
    std::vector<TConnectionId> left;
    {
        std::lock_guard lock(Guard);
        for (const auto& [id, connection] : Connections)
            left.push_back(id);
    }
    for (TConnectionId id : left)
        forget(id);
}
