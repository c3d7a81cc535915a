#pragma once

#include "faxproto/fax_json.h"
#include "faxproto/fax_messages.h"
#include "faxproto/fax_socket.h"

#include <string>
#include <vector>

// One connection to the fax service (protocol version 1: one JSON object per
// line each way over a Unix stream socket). Every failure raises
// TAutomationError with a short text; a refusal carries the service's own text.
// A number to fax to and the destination's name (may be empty).
struct TFaxRecipient {
    std::string Number;
    std::string Name;
};

class TFaxConnection {
public:
    TFaxConnection() = default;
    ~TFaxConnection();
    TFaxConnection(const TFaxConnection&) = delete;
    TFaxConnection& operator=(const TFaxConnection&) = delete;

    // Connects to the service, starting it when none answers, and announces
    // the fax server by name. A connection already open is closed first.
    void Open(const std::string& serverName);
    void Close();
    bool IsOpen() const { return Socket >= 0; }

    // Hands one file (made absolute here) to the service as a job to each
    // recipient, with its name; returns the job identifiers the service gave,
    // in the recipients' order.
    std::vector<std::string> Submit(const std::vector<TFaxRecipient>& recipients, const std::string& body);

    // Sends one request and returns the service's answer after checking "ok".
    TJsonValue Request(const TFaxRequest& request);

private:
    void WriteLine(const std::string& line);
    std::string ReadLine();

    int Socket = -1;
    int ReplyTimeoutMs = 0;
    TLineBuffer Pending;
};
