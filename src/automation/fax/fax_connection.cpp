#include "automation/fax/fax_connection.h"

#include "automation/automation_error.h"
#include "automation/fax/fax_service_launch.h"
#include "automation/fax/fax_service_settings.h"
#include "platform/system_info.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int StartPollMs = 50;

// The socket's folder must be ours and closed to everyone else, or another
// user could stand in for the service and learn what we fax.
void CheckSocketFolder(const std::string& socketPath) {
    std::string folder = FaxSocketFolder(socketPath);
    TSocketFolderState state = SocketFolderState(folder);
    if (state == sfsNotOurs || state == sfsOpenToOthers)
        throw TAutomationError("the fax service's folder " + folder + " is not private");
}

// A connected, non-blocking socket, or -1 when no service answers there.
int TryConnect(const std::string& socketPath) {
    sockaddr_un address {};
    if (!MakeSocketAddress(socketPath, address)) throw TAutomationError("the fax service's socket path is too long");
    CheckSocketFolder(socketPath);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) throw TAutomationError("cannot create a socket for the fax service");
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

TFaxConnection::~TFaxConnection() { Close(); }

void TFaxConnection::Close() {
    if (Socket >= 0) close(Socket);
    Socket = -1;
    Pending = {};
}

void TFaxConnection::Open(const std::string& serverName) {
    Close();
    const TFaxServiceSettings settings = GetFaxServiceSettings();
    ReplyTimeoutMs = settings.ReplyTimeoutMs;

    int fd = TryConnect(settings.SocketPath);
    if (fd < 0) {
        if (!StartFaxService(settings.Program, settings.SocketPath))
            throw TAutomationError("the fax service is not running and could not be started");
        for (int waited = 0; fd < 0 && waited < settings.StartTimeoutMs; waited += StartPollMs) {
            Sleep(StartPollMs);
            fd = TryConnect(settings.SocketPath);
        }
        if (fd < 0) throw TAutomationError("the fax service was started but does not answer");
    }
    Socket = fd;

    TConnectAnswer answer = ReadConnectAnswer(Request(TConnectRequest{serverName}));
    if (answer.Protocol != FaxProtocolVersion) {
        Close();
        throw TAutomationError("the fax service speaks another protocol version");
    }
}

std::vector<std::string> TFaxConnection::Submit(const std::vector<TFaxRecipient>& recipients, const std::string& body) {
    if (recipients.empty()) throw TAutomationError("the fax has no recipient");
    if (body.empty()) throw TAutomationError("the fax has no body");
    std::error_code ec;
    std::string path = std::filesystem::absolute(body, ec).string();
    if (ec) throw TAutomationError("cannot make the body's path absolute: " + body);
    if (!IsValidUtf8(path)) throw TAutomationError("the body's path is not UTF-8");

    for (const TFaxRecipient& recipient : recipients)
        if (!IsValidUtf8(recipient.Number) || !IsValidUtf8(recipient.Name))
            throw TAutomationError("a fax number or name is not UTF-8");
    // One submission per run of recipients of the same name: a submission
    // carries one name for all its jobs.
    std::vector<std::string> jobs;
    for (size_t first = 0; first < recipients.size();) {
        TSubmitRequest request{{}, path, recipients[first].Name};
        size_t next = first;
        for (; next < recipients.size() && recipients[next].Name == request.Name; ++next)
            request.Recipients.push_back(recipients[next].Number);
        for (std::string& id : ReadSubmitAnswer(Request(request)).Jobs)
            jobs.push_back(std::move(id));
        first = next;
    }
    return jobs;
}

TJsonValue TFaxConnection::Request(const TFaxRequest& request) {
    if (!IsOpen()) throw TAutomationError("not connected to the fax service");
    std::string line;
    try {
        WriteLine(EncodeRequest(request) + "\n");
        line = ReadLine();
    } catch (const TAutomationError&) {
        // After a broken exchange the next answer could belong to this request.
        Close();
        throw;
    }
    std::optional<TFaxAnswer> answer = DecodeAnswer(line);
    if (!answer) {
        Close();
        throw TAutomationError("the fax service sent an answer that cannot be read");
    }
    if (!answer->Ok)
        throw TAutomationError(!answer->Error.empty() ? answer->Error
                                                      : std::string("the fax service refused the request"));
    return std::move(answer->Object);
}

void TFaxConnection::WriteLine(const std::string& line) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ReplyTimeoutMs);
    size_t sent = 0;
    while (sent < line.size()) {
        ssize_t n = send(Socket, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd wait {Socket, POLLOUT, 0};
            int ready = poll(&wait, 1, RemainingMs(deadline));
            if (ready == 0) throw TAutomationError("the fax service does not take the request");
            if (ready < 0 && errno != EINTR) throw TAutomationError("lost the connection to the fax service");
            continue;
        }
        throw TAutomationError("lost the connection to the fax service");
    }
}

std::string TFaxConnection::ReadLine() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ReplyTimeoutMs);
    std::string line;
    while (true) {
        if (Pending.TakeLine(line)) return line;
        if (Pending.PendingBytes() > MaxFaxLineBytes) throw TAutomationError("the fax service's answer is too long");
        char buffer[4096];
        ssize_t n = recv(Socket, buffer, sizeof buffer, 0);
        if (n > 0) {
            Pending.Append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n == 0) throw TAutomationError("the fax service closed the connection");
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) throw TAutomationError("lost the connection to the fax service");
        pollfd wait {Socket, POLLIN, 0};
        int ready = poll(&wait, 1, RemainingMs(deadline));
        if (ready == 0) throw TAutomationError("the fax service does not answer");
        if (ready < 0 && errno != EINTR) throw TAutomationError("lost the connection to the fax service");
    }
}
