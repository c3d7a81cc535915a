#include "jobs_command.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstdio>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

std::string AskService(const std::string& socketPath, const std::string& request)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path)
        return {};
    socketPath.copy(address.sun_path, socketPath.size());
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return {};
    timeval limit{30, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    std::string answer;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        std::string line = request + "\n";
        // A refusal may come (and the connection close) before the request
        // is written: read whatever answer there is either way.
        ssize_t sent = send(fd, line.data(), line.size(), MSG_NOSIGNAL);
        (void)sent;
        char buffer[8192];
        ssize_t got;
        while (answer.find('\n') == std::string::npos
               && ((got = recv(fd, buffer, sizeof buffer, 0)) > 0 || (got < 0 && errno == EINTR)))
            if (got > 0)
                answer.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    size_t end = answer.find('\n');
    return end == std::string::npos ? std::string() : answer.substr(0, end);
}

int PrintJobs(const std::string& socketPath)
{
    std::string answer = AskService(socketPath, R"({"op":"jobs"})");
    if (answer.empty()) {
        std::fprintf(stderr, "pelmor-faxd: no service answers at %s\n", socketPath.c_str());
        return 1;
    }
    QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(answer)).object();
    if (!object["ok"].toBool()) {
        std::fprintf(stderr, "pelmor-faxd: %s\n", object["error"].toString().toStdString().c_str());
        return 1;
    }
    std::printf("%-6s %-16s %-9s %5s  %-10s %-10s %s\n", "ID", "NUMBER", "STATE", "PAGES", "LINE", "REMOTE",
                "STATUS");
    for (const QJsonValue& value : object["jobs"].toArray()) {
        QJsonObject job = value.toObject();
        QString line = job["line"].toString();
        QString remote = job["remote_id"].toString();
        QString status = job["error"].toString();
        if (status.isEmpty())
            status = job["status"].toString();
        std::printf("%-6s %-16s %-9s %5d  %-10s %-10s %s\n", job["id"].toString().toStdString().c_str(),
                    job["number"].toString().toStdString().c_str(), job["state"].toString().toStdString().c_str(),
                    job["pages"].toInt(), line.isEmpty() ? "-" : line.toStdString().c_str(),
                    remote.isEmpty() ? "-" : remote.toStdString().c_str(), status.toStdString().c_str());
    }
    return 0;
}
