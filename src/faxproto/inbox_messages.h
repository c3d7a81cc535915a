#pragma once

#include "faxproto/fax_json.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The fax service's operations on received faxes, in the same form as the
// others (faxproto/fax_messages.h): one JSON object a line each way.

// One received fax, as the service lists it and as its record in Inbox/ keeps it.
struct TInboxFax {
    std::string Id;
    std::string Arrived;   // local time, ISO 8601 to the second
    std::string Station;   // the sender's station id, where known
    std::string Number;    // the sender's number, where known
    int64_t Pages = 0;
    std::string Line;      // the line it came on
    bool Simulated = false; // came on the simulated line: nothing real called
    bool Read = false;
    std::string Source;    // the line's own name of it (a server's file); kept, not listed
    bool operator==(const TInboxFax&) const = default;
};

// {"op":"inbox"}: the received faxes.
struct TInboxRequest {
    bool operator==(const TInboxRequest&) const = default;
};
// {"op":"mark","id":ID,"read":BOOL}
struct TMarkRequest {
    std::string Id;
    bool Read = true;
    bool operator==(const TMarkRequest&) const = default;
};
// {"op":"delete","id":ID}: moves the fax to Trash/.
struct TDeleteRequest {
    std::string Id;
    bool operator==(const TDeleteRequest&) const = default;
};
// {"op":"forward","id":ID,"recipients":[NUMBER,…]}: new jobs of the fax's own
// pages; answered like submit.
struct TForwardRequest {
    std::string Id;
    std::vector<std::string> Recipients;
    bool operator==(const TForwardRequest&) const = default;
};
// {"op":"receive","body":ABSOLUTE_PATH,"from":NUMBER}: on the simulated line,
// a far end calls in and sends the rendered file.
struct TReceiveRequest {
    std::string Body;
    std::string From;
    bool operator==(const TReceiveRequest&) const = default;
};
using TInboxOperation = std::variant<TInboxRequest, TMarkRequest, TDeleteRequest, TForwardRequest, TReceiveRequest>;

enum TInboxDecode {
    idOther,    // a line of another operation (or none): not for this reader
    idDecoded,  // one of the operations above
    idRefused   // one of them, but malformed; error says why
};
TInboxDecode DecodeInboxRequest(std::string_view line, TInboxOperation& operation, std::string& error);
std::string EncodeInboxRequest(const TInboxOperation& operation);

// A fax as a JSON object (withSource: as the record keeps it) and back.
TJsonValue InboxFaxObject(const TInboxFax& fax, bool withSource);
TInboxFax ReadInboxFax(const TJsonValue& object);

struct TInboxAnswer {
    std::vector<TInboxFax> Faxes;
    bool operator==(const TInboxAnswer&) const = default;
};
std::string EncodeAnswer(const TInboxAnswer& answer);
TInboxAnswer ReadInboxAnswer(const TJsonValue& object);

// {"ok":true,"fax":{…}}: what receive and an arrival event carry.
std::string EncodeFaxAnswer(const TInboxFax& fax);
// {"ok":true}
std::string EncodeDone();

// What a watch connection carries when a fax has arrived:
// {"event":"fax","fax":{…}}. Nothing when the line is no such event.
std::string EncodeFaxEvent(const TInboxFax& fax);
std::optional<TInboxFax> DecodeFaxEvent(std::string_view line);
