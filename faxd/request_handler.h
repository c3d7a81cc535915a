#pragma once

#include "fax_line.h"
#include "job_store.h"
#include "job_watch.h"
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

    // What requests ask of the job thread.
    struct TJobControl {
        std::function<void()> Wake; // a job arrived
        std::function<bool(const std::string& id, std::string& error)> Cancel;
    };

    // hostName: the name `connect` accepts (compared without regard to case;
    // an empty name also means this host).
    TRequestHandler(TJobStore& store, const TFaxLine& line, std::string hostName, TJobControl control,
                    TJobWatch& watch, TAnswer answer);

    void Handle(TConnectionId from, const std::string& request);

private:
    std::string Connect(const TConnectRequest& request) const;
    std::string Submit(const TSubmitRequest& request);
    std::string Jobs() const;
    std::string Cancel(const TCancelRequest& request);
    std::string Resend(const TResendRequest& request);

    TJobStore& Store;
    const TFaxLine& Line;
    std::string HostName;
    TJobControl Control;
    TJobWatch& Watch;
    TAnswer Answer;
};

// This machine's host name; empty when it cannot be read.
std::string LocalHostName();
