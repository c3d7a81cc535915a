#include "jobs_command.h"

#include "faxproto/fax_messages.h"
#include "faxproto/fax_socket.h"

#include <cstdio>

namespace {

std::string OrDash(const std::string& text)
{
    return text.empty() ? "-" : PrintableText(text);
}

} // namespace

std::string PrintableText(const std::string& text)
{
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80
            && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (c < 0x20 || c == 0x7F || c1) {
            shown += '?';
            i += c1 ? 1 : 0;
        } else {
            shown += text[i];
        }
    }
    return shown;
}

int PrintJobs(const std::string& socketPath)
{
    std::string folder = FaxSocketFolder(socketPath);
    TSocketFolderState state = SocketFolderState(folder);
    if (state == sfsNotOurs || state == sfsOpenToOthers) {
        std::fprintf(stderr, "pelmor-faxd: the fax service's folder %s is not private\n", PrintableText(folder).c_str());
        return 1;
    }
    std::string line = AskFaxService(socketPath, EncodeRequest(TJobsRequest{}));
    if (line.empty()) {
        std::fprintf(stderr, "pelmor-faxd: no service answers at %s\n", socketPath.c_str());
        return 1;
    }
    std::optional<TFaxAnswer> answer = DecodeAnswer(line);
    if (!answer || !answer->Ok) {
        std::fprintf(stderr, "pelmor-faxd: %s\n", answer ? PrintableText(answer->Error).c_str() : "");
        return 1;
    }
    std::printf("%-6s %-16s %-9s %5s  %-10s %-10s %s\n", "ID", "NUMBER", "STATE", "PAGES", "LINE", "REMOTE",
                "STATUS");
    for (const TJobInfo& job : ReadJobsAnswer(answer->Object).Jobs)
        std::printf("%-6s %-16s %-9s %5lld  %-10s %-10s %s\n", PrintableText(job.Id).c_str(),
                    PrintableText(job.Number).c_str(), PrintableText(job.State).c_str(),
                    static_cast<long long>(job.Pages), OrDash(job.Line).c_str(), OrDash(job.RemoteId).c_str(),
                    PrintableText(job.Error.empty() ? job.Status : job.Error).c_str());
    return 0;
}
