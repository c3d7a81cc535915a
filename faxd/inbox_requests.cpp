#include "inbox_requests.h"

#include "simulated_receive.h"

#include "durable/unique_fd.h"
#include "faxproto/fax_messages.h"

#include <fcntl.h>

TInboxRequests::TInboxRequests(TInbox& inbox, TJobStore& store, const TFaxLine& line, std::string program,
                               std::function<void()> onAccepted, TAnswer answer)
    : Inbox(inbox), Store(store), Line(line), Program(std::move(program)), OnAccepted(std::move(onAccepted)),
      Answer(std::move(answer)) {}

TInboxRequests::~TInboxRequests() {
    Stopping = true;
    if (Receiver.joinable()) Receiver.join();
}

bool TInboxRequests::Handle(TConnectionId from, const std::string& request) {
    TInboxOperation operation;
    std::string error;
    switch (DecodeInboxRequest(request, operation, error)) {
    case idOther:
        return false;
    case idRefused:
        Answer(from, EncodeRefusal(error));
        return true;
    case idDecoded:
        break;
    }
    std::string answer;
    if (std::holds_alternative<TInboxRequest>(operation)) {
        answer = EncodeAnswer(TInboxAnswer{Inbox.List()});
    } else if (const auto* mark = std::get_if<TMarkRequest>(&operation)) {
        answer = Inbox.Mark(mark->Id, mark->Read, error) ? EncodeDone() : EncodeRefusal(error);
    } else if (const auto* remove = std::get_if<TDeleteRequest>(&operation)) {
        answer = Inbox.Delete(remove->Id, error) ? EncodeDone() : EncodeRefusal(error);
    } else if (const auto* forward = std::get_if<TForwardRequest>(&operation)) {
        answer = Forward(*forward);
    } else {
        answer = StartReceive(from, std::get<TReceiveRequest>(operation));
    }
    if (!answer.empty()) Answer(from, answer);
    return true;
}

std::string TInboxRequests::Forward(const TForwardRequest& request) {
    TInboxFax fax;
    if (!Inbox.Find(request.Id, fax)) return EncodeRefusal("no such fax");
    TUniqueFd fd(open(Inbox.FaxPath(fax.Id).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) return EncodeRefusal("cannot read the fax");
    TSubmitAnswer answer;
    std::string error;
    if (!Store.Accept(fd.Get(), Inbox.FaxPath(fax.Id), request.Recipients, answer.Jobs, error)) return EncodeRefusal(error);
    if (OnAccepted) OnAccepted();
    return EncodeAnswer(answer);
}

std::string TInboxRequests::StartReceive(TConnectionId from, const TReceiveRequest& request) {
    if (!Line.Simulated()) return EncodeRefusal("receive works on the simulated line only");
    std::lock_guard lock(Guard);
    if (Receiving) return EncodeRefusal("busy: another simulated fax is coming in");
    if (Receiver.joinable()) Receiver.join();
    Receiving = true;
    Receiver = std::thread([this, from, request] {
        TInboxFax fax;
        std::string error;
        bool ok = ReceiveSimulated(Program, Inbox, request.Body, request.From, fax, error, &Stopping);
        Answer(from, ok ? EncodeFaxAnswer(fax) : EncodeRefusal(error));
        std::lock_guard done(Guard);
        Receiving = false;
    });
    return {};
}
