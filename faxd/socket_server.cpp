#include "socket_server.h"

#include "durable/durable_file.h"
#include "faxproto/fax_messages.h"
#include "faxproto/fax_socket.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

struct TClient {
    TConnectionId Id;
    int Fd;
    TLineBuffer Pending;
};

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
    if (!bound || listen(ListenFd, 16) != 0) {
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
    std::lock_guard lock(Guard);
    auto found = Connections.find(connection);
    return found != Connections.end() && SendLine(found->second, line);
}

void TSocketServer::Run(const TLineHandler& onLine, int stopFd, const TClosedHandler& onClosed)
{
    std::vector<TClient> clients;
    TConnectionId lastId = 0;
    auto forget = [&](TClient& client) {
        {
            std::lock_guard lock(Guard);
            Connections.erase(client.Id);
            close(client.Fd);
        }
        client.Fd = -1;
        if (onClosed)
            onClosed(client.Id);
    };
    for (;;) {
        std::vector<pollfd> watched = {{stopFd, POLLIN, 0}, {ListenFd, POLLIN, 0}};
        for (const TClient& client : clients)
            watched.push_back({client.Fd, POLLIN, 0});
        if (poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (watched[0].revents)
            break;
        if (watched[1].revents & POLLIN) {
            int fd = accept4(ListenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                // A client that stops reading cannot hold the service for long.
                timeval limit{5, 0};
                setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
                uid_t peer = 0;
                if (!PeerUid(fd, peer) || !IsPeerAllowed(peer, geteuid())) {
                    SendLine(fd, EncodeRefusal("permission denied"));
                    close(fd);
                } else if (clients.size() >= MaxClients) {
                    SendLine(fd, EncodeRefusal("too many connections"));
                    close(fd);
                } else {
                    clients.push_back({++lastId, fd, {}});
                    std::lock_guard lock(Guard);
                    Connections[lastId] = fd;
                }
            }
        }
        for (size_t i = 2; i < watched.size(); ++i) {
            if (!watched[i].revents)
                continue;
            TClient& client = clients[i - 2];
            char buffer[8192];
            ssize_t got = recv(client.Fd, buffer, sizeof buffer, 0);
            if (got < 0 && errno == EINTR)
                continue;
            bool closing = got <= 0;
            if (!closing)
                client.Pending.Append(buffer, static_cast<size_t>(got));
            std::string request;
            while (!closing && client.Pending.TakeLine(request))
                if (!request.empty())
                    onLine(client.Id, request);
            if (!closing && client.Pending.PendingBytes() > MaxRequestBytes) {
                Push(client.Id, EncodeRefusal("request too long"));
                closing = true;
            }
            if (closing)
                forget(client);
        }
        std::erase_if(clients, [](const TClient& client) { return client.Fd < 0; });
    }
    for (TClient& client : clients)
        forget(client);
}
