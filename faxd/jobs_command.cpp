#include "jobs_command.h"

#include "faxproto/fax_messages.h"
#include "faxproto/fax_socket.h"

#include <cstdio>

namespace {

const char* OrDash(const std::string& text)
{
    return text.empty() ? "-" : text.c_str();
}

} // namespace

int PrintJobs(const std::string& socketPath)
{
    std::string line = AskFaxService(socketPath, EncodeRequest(TJobsRequest{}));
    if (line.empty()) {
        std::fprintf(stderr, "pelmor-faxd: no service answers at %s\n", socketPath.c_str());
        return 1;
    }
    std::optional<TFaxAnswer> answer = DecodeAnswer(line);
    if (!answer || !answer->Ok) {
        std::fprintf(stderr, "pelmor-faxd: %s\n", answer ? answer->Error.c_str() : "");
        return 1;
    }
    std::printf("%-6s %-16s %-9s %5s  %-10s %-10s %s\n", "ID", "NUMBER", "STATE", "PAGES", "LINE", "REMOTE",
                "STATUS");
    for (const TJobInfo& job : ReadJobsAnswer(answer->Object).Jobs)
        std::printf("%-6s %-16s %-9s %5lld  %-10s %-10s %s\n", job.Id.c_str(), job.Number.c_str(), job.State.c_str(),
                    static_cast<long long>(job.Pages), OrDash(job.Line), OrDash(job.RemoteId),
                    (job.Error.empty() ? job.Status : job.Error).c_str());
    return 0;
}
