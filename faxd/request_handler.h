#pragma once

#include "fax_line.h"
#include "job_store.h"
#include "socket_server.h"

#include "faxproto/fax_messages.h"

#include <functional>
#include <string>

// Answers the protocol's requests (faxproto/fax_messages.h), each with one
// line to the connection it came from.
class TRequestHandler {
public:
    // Writes one line to a connection.
    using TAnswer = std::function<void(TConnectionId, const std::string&)>;

    // hostName: the name `connect` accepts (compared without regard to case;
    // an empty name also means this host). onAccepted runs after a submission.
    TRequestHandler(TJobStore& store, const TFaxLine& line, std::string hostName, std::function<void()> onAccepted,
                    TAnswer answer);

    void Handle(TConnectionId from, const std::string& request);

private:
    std::string Connect(const TConnectRequest& request) const;
    std::string Submit(const TSubmitRequest& request);
    std::string Jobs() const;

    TJobStore& Store;
    const TFaxLine& Line;
    std::string HostName;
    std::function<void()> OnAccepted;
    TAnswer Answer;
};

// This machine's host name; empty when it cannot be read.
std::string LocalHostName();
