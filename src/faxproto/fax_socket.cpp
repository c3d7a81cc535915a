#include "faxproto/fax_socket.h"

#include "durable/unique_fd.h"

#include <cerrno>
#include <cstdlib>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

std::string DefaultFaxSocketPath() {
    if (const char* path = std::getenv("PELMOR_FAXD_SOCKET"); path && *path) return path;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/pelmor-faxd/socket";
    return "/tmp/pelmor-faxd-" + std::to_string(getuid()) + "/socket";
}

std::string FaxSocketFolder(const std::string& socketPath) {
    size_t slash = socketPath.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : socketPath.substr(0, slash);
}

TSocketFolderState SocketFolderState(const std::string& folder) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) return sfsMissing;
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) return sfsNotOurs;
    return (info.st_mode & 077) != 0 ? sfsOpenToOthers : sfsPrivate;
}

bool MakeSocketAddress(const std::string& socketPath, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) return false;
    socketPath.copy(address.sun_path, socketPath.size());
    return true;
}

bool TLineBuffer::TakeLine(std::string& line) {
    size_t end = Pending.find('\n');
    if (end == std::string::npos) return false;
    line.assign(Pending, 0, end);
    Pending.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool SendLine(int fd, std::string_view text) {
    std::string line(text);
    line += '\n';
    size_t done = 0;
    while (done < line.size()) {
        ssize_t put = ::send(fd, line.data() + done, line.size() - done, MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

std::string AskFaxService(const std::string& socketPath, const std::string& request, int timeoutSeconds) {
    sockaddr_un address {};
    if (!MakeSocketAddress(socketPath, address)) return {};
    TUniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return {};
    timeval limit {timeoutSeconds, 0};
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (::connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return {};
    // A refusal may come (and the connection close) before the request is
    // written: read whatever answer there is either way.
    SendLine(fd.Get(), request);
    TLineBuffer received;
    std::string answer;
    char buffer[8192];
    while (!received.TakeLine(answer)) {
        if (received.PendingBytes() > MaxFaxLineBytes) return {};
        ssize_t got = ::recv(fd.Get(), buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return {};
        received.Append(buffer, static_cast<size_t>(got));
    }
    return answer;
}
