#include "receive_command.h"

#include "faxproto/fax_messages.h"
#include "faxproto/fax_socket.h"
#include "faxproto/inbox_messages.h"

#include <cstdio>

int ReceiveOnSimulatedLine(const std::string& socketPath, const std::string& file, const std::string& from)
{
    if (!IsValidFaxNumber(from)) {
        std::fprintf(stderr, "pelmor-faxd: --from must be a fax number (digits only)\n");
        return 2;
    }
    // Rendering and the call take a while for a long document.
    std::string line = AskFaxService(socketPath, EncodeInboxRequest(TReceiveRequest{file, from}), 600);
    if (line.empty()) {
        std::fprintf(stderr, "pelmor-faxd: no service answers at %s\n", socketPath.c_str());
        return 1;
    }
    std::optional<TFaxAnswer> answer = DecodeAnswer(line);
    if (!answer || !answer->Ok) {
        std::fprintf(stderr, "pelmor-faxd: %s\n", answer ? answer->Error.c_str() : "unreadable answer");
        return 1;
    }
    const TJsonValue* object = answer->Object.Find("fax");
    TInboxFax fax = object ? ReadInboxFax(*object) : TInboxFax{};
    std::printf("FAX受信 %s: %s から %lld ページ (模擬回線)\n", fax.Id.c_str(), fax.Number.c_str(),
                static_cast<long long>(fax.Pages));
    return 0;
}
