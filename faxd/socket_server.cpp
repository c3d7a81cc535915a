#include "socket_server.h"

#include "durable/durable_file.h"

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
    int Fd;
    std::string Pending;
};

void SendLine(int fd, const std::string& text)
{
    std::string line = text + "\n";
    size_t done = 0;
    while (done < line.size()) {
        ssize_t put = send(fd, line.data() + done, line.size() - done, MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return;
        done += static_cast<size_t>(put);
    }
}

// The socket's folder: made when missing; it must be a real folder of ours,
// and nobody else may enter it.
bool PrepareFolder(const std::string& folder, std::string& error)
{
    if (!MakeFolder(folder, 0700)) {
        error = "cannot create " + folder;
        return false;
    }
    struct stat info{};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid()) {
        error = folder + " is not a folder of this user";
        return false;
    }
    if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) {
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
    address.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) {
        error = "socket path too long: " + socketPath;
        return lrFailed;
    }
    std::string folder = std::filesystem::path(socketPath).parent_path().string();
    if (!PrepareFolder(folder.empty() ? "." : folder, error))
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
    socketPath.copy(address.sun_path, socketPath.size());
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

void TSocketServer::Run(const std::function<std::string(const std::string&)>& handle, int stopFd)
{
    std::vector<TClient> clients;
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
                    SendLine(fd, R"({"ok":false,"error":"permission denied"})");
                    close(fd);
                } else if (clients.size() >= MaxClients) {
                    SendLine(fd, R"({"ok":false,"error":"too many connections"})");
                    close(fd);
                } else {
                    clients.push_back({fd, {}});
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
                client.Pending.append(buffer, static_cast<size_t>(got));
            size_t end;
            while (!closing && (end = client.Pending.find('\n')) != std::string::npos) {
                std::string request = client.Pending.substr(0, end);
                client.Pending.erase(0, end + 1);
                if (!request.empty() && request.back() == '\r')
                    request.pop_back();
                if (!request.empty())
                    SendLine(client.Fd, handle(request));
            }
            if (!closing && client.Pending.size() > MaxRequestBytes) {
                SendLine(client.Fd, R"({"ok":false,"error":"request too long"})");
                closing = true;
            }
            if (closing) {
                close(client.Fd);
                client.Fd = -1;
            }
        }
        std::erase_if(clients, [](const TClient& client) { return client.Fd < 0; });
    }
    for (const TClient& client : clients)
        close(client.Fd);
}
