#include "service_jobs_client.h"

#include "automation/fax/fax_service_launch.h"

#include <chrono>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// How long a freshly started service may take to answer.
constexpr auto StartTimeout = std::chrono::seconds(5);
// How long the service may take to answer one request.
constexpr int ReplyTimeoutSeconds = 10;

int ConnectTo(const std::string& socketPath)
{
    sockaddr_un address{};
    if (!MakeSocketAddress(socketPath, address))
        return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads one line from a blocking socket.
bool ReadLine(int fd, TLineBuffer& received, std::string& line)
{
    char buffer[8192];
    while (!received.TakeLine(line)) {
        if (received.PendingBytes() > MaxFaxLineBytes)
            return false;
        ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        received.Append(buffer, static_cast<size_t>(got));
    }
    return true;
}

} // namespace

TServiceJobsClient::TServiceJobsClient(std::string socketPath, std::string program, QObject* parent)
    : TJobsClient(parent), SocketPath(std::move(socketPath)), Program(std::move(program))
{
}

TServiceJobsClient::~TServiceJobsClient() { Close(); }

void TServiceJobsClient::Close()
{
    Notifier.reset();
    if (WatchFd >= 0)
        close(WatchFd);
    WatchFd = -1;
}

std::optional<TFaxAnswer> TServiceJobsClient::Ask(const TFaxRequest& request, QString& error) const
{
    std::string line = AskFaxService(SocketPath, EncodeRequest(request), ReplyTimeoutSeconds);
    std::optional<TFaxAnswer> answer = DecodeAnswer(line);
    if (!answer)
        error = line.empty() ? QStringLiteral("the fax service does not answer")
                             : QStringLiteral("the fax service sent an answer that cannot be read");
    else if (!answer->Ok)
        error = Q(answer->Error);
    if (!answer || !answer->Ok)
        return std::nullopt;
    return answer;
}

bool TServiceJobsClient::Start(QString& error)
{
    Close();
    TSocketFolderState folder = SocketFolderState(FaxSocketFolder(SocketPath));
    if (folder == sfsNotOurs || folder == sfsOpenToOthers) {
        error = QStringLiteral("the fax service's folder is not private");
        return false;
    }
    int fd = ConnectTo(SocketPath);
    if (fd < 0) {
        if (!StartFaxService(Program, SocketPath)) {
            error = QStringLiteral("the fax service is not running and could not be started");
            return false;
        }
        auto deadline = std::chrono::steady_clock::now() + StartTimeout;
        while (fd < 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            fd = ConnectTo(SocketPath);
        }
        if (fd < 0) {
            error = QStringLiteral("the fax service was started but does not answer");
            return false;
        }
    }
    timeval limit{ReplyTimeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    WatchFd = fd;
    std::optional<TFaxAnswer> connected = Ask(TConnectRequest{}, error);
    std::string line;
    if (!connected || !SendLine(fd, EncodeRequest(TWatchRequest{})) || !ReadLine(fd, Received, line)) {
        if (error.isEmpty())
            error = QStringLiteral("the fax service does not answer");
        Close();
        return false;
    }
    Service = ReadConnectAnswer(connected->Object);
    std::optional<TFaxAnswer> watching = DecodeAnswer(line);
    if (!watching || !watching->Ok) {
        error = watching ? Q(watching->Error) : QStringLiteral("the fax service sent an answer that cannot be read");
        Close();
        return false;
    }
    for (const TJobInfo& job : ReadJobsAnswer(watching->Object).Jobs)
        emit JobChanged(job);
    Notifier = std::make_unique<QSocketNotifier>(WatchFd, QSocketNotifier::Read);
    connect(Notifier.get(), &QSocketNotifier::activated, this, &TServiceJobsClient::ReadEvents);
    ReadEvents(); // events that came with the answer
    return true;
}

void TServiceJobsClient::ReadEvents()
{
    if (WatchFd < 0)
        return;
    char buffer[8192];
    ssize_t got = recv(WatchFd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        Close();
        emit Lost(QStringLiteral("the fax service has stopped"));
        return;
    }
    if (got > 0)
        Received.Append(buffer, static_cast<size_t>(got));
    std::string line;
    while (Received.TakeLine(line))
        if (std::optional<TJobInfo> job = DecodeJobEvent(line))
            emit JobChanged(*job);
}

bool TServiceJobsClient::Cancel(const QString& id, QString& error)
{
    return Ask(TCancelRequest{id.toStdString()}, error).has_value();
}

bool TServiceJobsClient::Resend(const QString& id, QString& newId, QString& error)
{
    std::optional<TFaxAnswer> answer = Ask(TResendRequest{id.toStdString()}, error);
    if (!answer)
        return false;
    TSubmitAnswer resent = ReadSubmitAnswer(answer->Object);
    newId = resent.Jobs.empty() ? QString() : Q(resent.Jobs.front());
    return true;
}

QString TServiceJobsClient::SentItemsFolder() const { return Q(Service.SentItems); }

QString TServiceJobsClient::ReportPath(const QString& id) const
{
    return Q(Service.Reports) + QLatin1Char('/') + id + QStringLiteral(".pdf");
}
