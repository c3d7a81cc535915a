#include "request_handler.h"

#include "durable/unique_fd.h"

#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

TRequestHandler::TRequestHandler(TJobStore& store, const TFaxLine& line, std::string hostName, TJobControl control,
                                 TJobWatch& watch, TAnswer answer)
    : Store(store), Line(line), HostName(std::move(hostName)), Control(std::move(control)), Watch(watch),
      Answer(std::move(answer))
{
}

void TRequestHandler::Handle(TConnectionId from, const std::string& request)
{
    TFaxRequest decoded;
    std::string error;
    std::string answer;
    if (!DecodeRequest(request, decoded, error))
        answer = EncodeRefusal(error);
    else if (const auto* connect = std::get_if<TConnectRequest>(&decoded))
        answer = Connect(*connect);
    else if (const auto* submit = std::get_if<TSubmitRequest>(&decoded))
        answer = Submit(*submit);
    else if (const auto* cancel = std::get_if<TCancelRequest>(&decoded))
        answer = Cancel(*cancel);
    else if (const auto* resend = std::get_if<TResendRequest>(&decoded))
        answer = Resend(*resend);
    else if (std::holds_alternative<TWatchRequest>(decoded)) {
        Watch.Add(from, [this] { return Jobs(); });
        return;
    } else
        answer = Jobs();
    Answer(from, answer);
}

std::string TRequestHandler::Connect(const TConnectRequest& request) const
{
    if (!request.Server.empty() && !SameHostName(request.Server, HostName))
        return EncodeRefusal("unknown server: " + request.Server);
    TConnectAnswer answer;
    answer.Line = Line.Name();
    answer.Simulated = Line.Simulated();
    answer.SentItems = Store.SentItemsDir();
    answer.Reports = Store.ReportsDir();
    return EncodeAnswer(answer);
}

std::string TRequestHandler::Submit(const TSubmitRequest& request)
{
    const std::string& body = request.Body;
    if (body.empty() || body[0] != '/')
        return EncodeRefusal("body must be an absolute path");
    if (body.find('\0') != std::string::npos)
        return EncodeRefusal("cannot read the file");
    // Looked at through a handle that opens nothing (a device or a FIFO is
    // never opened for reading), then that very file is opened: it cannot be
    // swapped between the check and the copy. Non-blocking all the same.
    TUniqueFd handle(open(body.c_str(), O_PATH | O_CLOEXEC));
    if (!handle)
        return EncodeRefusal("cannot read the file");
    struct stat info{};
    if (fstat(handle.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return EncodeRefusal("not a regular file");
    std::string opened = "/proc/self/fd/" + std::to_string(handle.Get());
    TUniqueFd fd(open(opened.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd)
        return EncodeRefusal("cannot read the file");
    if (info.st_size > TJobStore::MaxBodyBytes)
        return EncodeRefusal("file too large");
    fcntl(fd.Get(), F_SETFL, fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
    TSubmitAnswer answer;
    std::string error;
    if (!Store.Accept(fd.Get(), body, request.Recipients, answer.Jobs, error, {request.Name, ""}))
        return EncodeRefusal(error);
    fd.Reset();
    Control.Wake();
    return EncodeAnswer(answer);
}

std::string TRequestHandler::Cancel(const TCancelRequest& request)
{
    std::string error;
    if (!Control.Cancel(request.Id, error))
        return EncodeRefusal(error);
    return EncodeAgreement();
}

std::string TRequestHandler::Resend(const TResendRequest& request)
{
    TSubmitAnswer answer;
    std::string newId, error;
    if (!Store.Resend(request.Id, newId, error))
        return EncodeRefusal(error);
    answer.Jobs.push_back(newId);
    Control.Wake();
    return EncodeAnswer(answer);
}

std::string TRequestHandler::Jobs() const
{
    TJobsAnswer answer;
    for (const TFaxJob& job : Store.ListJobs())
        answer.Jobs.push_back(PublicJobInfo(job));
    return EncodeAnswer(answer);
}
