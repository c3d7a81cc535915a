#include "request_handler.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ToLine(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

bool SameHostName(std::string a, std::string b)
{
    auto lower = [](std::string& s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    };
    lower(a);
    lower(b);
    return a == b;
}

} // namespace

std::string LocalHostName()
{
    char name[256] = "";
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

std::string Refusal(const std::string& error)
{
    QJsonObject answer;
    answer["ok"] = false;
    answer["error"] = QString::fromStdString(error);
    return ToLine(answer);
}

TRequestHandler::TRequestHandler(TJobStore& store, const TFaxLine& line, std::string hostName,
                                 std::function<void()> onAccepted)
    : Store(store), Line(line), HostName(std::move(hostName)), OnAccepted(std::move(onAccepted))
{
}

std::string TRequestHandler::Handle(const std::string& request)
{
    QJsonParseError parseError{};
    QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(request), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return Refusal("malformed request");
    QJsonObject object = document.object();
    QJsonValue op = object["op"];
    if (!op.isString())
        return Refusal("missing op");
    if (op.toString() == "connect") {
        QJsonValue server = object["server"];
        if (!server.isString() && !server.isUndefined() && !server.isNull())
            return Refusal("server must be a string");
        return Connect(server.toString().toStdString());
    }
    if (op.toString() == "submit") {
        QJsonValue recipients = object["recipients"];
        QJsonValue body = object["body"];
        if (!recipients.isArray() || recipients.toArray().isEmpty())
            return Refusal("no recipients");
        if (!body.isString())
            return Refusal("no body");
        std::vector<std::string> numbers;
        for (const QJsonValue& recipient : recipients.toArray()) {
            if (!recipient.isString())
                return Refusal("fax numbers must be strings of digits");
            std::string number = recipient.toString().toStdString();
            if (!IsValidFaxNumber(number))
                return Refusal("invalid fax number: only ASCII digits are allowed");
            numbers.push_back(number);
        }
        if (numbers.size() > 100)
            return Refusal("too many recipients");
        return Submit(numbers, body.toString().toStdString());
    }
    if (op.toString() == "jobs")
        return Jobs();
    return Refusal("unknown op");
}

std::string TRequestHandler::Connect(const std::string& server) const
{
    if (!server.empty() && !SameHostName(server, HostName))
        return Refusal("unknown server: " + server);
    QJsonObject answer;
    answer["ok"] = true;
    answer["service"] = "pelmor-faxd";
    answer["protocol"] = 1;
    answer["line"] = QString::fromStdString(Line.Name());
    answer["simulated"] = Line.Simulated();
    return ToLine(answer);
}

std::string TRequestHandler::Submit(const std::vector<std::string>& numbers, const std::string& body)
{
    if (body.empty() || body[0] != '/')
        return Refusal("body must be an absolute path");
    if (body.find('\0') != std::string::npos)
        return Refusal("cannot read the file");
    // Non-blocking so that a FIFO cannot hold the service; checked as opened
    // so that the file cannot be swapped between the check and the copy.
    int fd = open(body.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return Refusal("cannot read the file");
    struct stat info{};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return Refusal("not a regular file");
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::vector<std::string> ids;
    std::string error;
    bool accepted = Store.Accept(fd, body, numbers, ids, error);
    close(fd);
    if (!accepted)
        return Refusal(error);
    if (OnAccepted)
        OnAccepted();
    QJsonArray jobs;
    for (const std::string& id : ids)
        jobs.append(QString::fromStdString(id));
    QJsonObject answer;
    answer["ok"] = true;
    answer["jobs"] = jobs;
    return ToLine(answer);
}

std::string TRequestHandler::Jobs() const
{
    QJsonArray jobs;
    for (const TFaxJob& job : Store.ListJobs()) {
        QJsonObject entry;
        entry["id"] = QString::fromStdString(job.Id);
        entry["number"] = QString::fromStdString(job.Number);
        entry["state"] = QString::fromStdString(PublicStateName(job));
        entry["pages"] = job.Pages;
        entry["error"] = QString::fromStdString(job.Error);
        entry["line"] = QString::fromStdString(job.Line);
        entry["simulated"] = job.Simulated;
        entry["remote_id"] = QString::fromStdString(job.RemoteId);
        entry["status"] = QString::fromStdString(job.Status);
        entry["submitted"] = QString::fromStdString(job.Submitted);
        entry["finished"] = QString::fromStdString(job.Finished);
        jobs.append(entry);
    }
    QJsonObject answer;
    answer["ok"] = true;
    answer["jobs"] = jobs;
    return ToLine(answer);
}
