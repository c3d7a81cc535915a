#pragma once

#include "faxproto/fax_json.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The fax service's requests and answers, one JSON object a line each way.
// Every answer carries "ok"; a refusal carries "error" with a short text.

constexpr int64_t FaxProtocolVersion = 1;
constexpr const char* FaxServiceName = "pelmor-faxd";
// The most recipients one submission may name.
constexpr size_t MaxFaxRecipients = 100;

// {"op":"connect","server":NAME}: an empty name means this host.
struct TConnectRequest {
    std::string Server;
    bool operator==(const TConnectRequest&) const = default;
};
// {"op":"submit","recipients":[NUMBER,…],"body":ABSOLUTE_PATH,"name":NAME}:
// the name (optional) is the destination's, shown in reports and
// notifications.
struct TSubmitRequest {
    std::vector<std::string> Recipients;
    std::string Body;
    std::string Name;
    bool operator==(const TSubmitRequest&) const = default;
};
// {"op":"jobs"}
struct TJobsRequest {
    bool operator==(const TJobsRequest&) const = default;
};
// {"op":"cancel","id":ID}: stops a queued or running job; it ends cancelled.
// Answered {"ok":true} once the cancel is under way.
struct TCancelRequest {
    std::string Id;
    bool operator==(const TCancelRequest&) const = default;
};
// {"op":"resend","id":ID}: submits a failed or cancelled job's file again
// to its number and name; answered as submit is, with the new job's id.
struct TResendRequest {
    std::string Id;
    bool operator==(const TResendRequest&) const = default;
};
// {"op":"watch"}: answered as jobs is, with the jobs now listed; the
// connection then stays open and carries one event line per job change,
// {"event":"job",…the job's fields…}.
struct TWatchRequest {
    bool operator==(const TWatchRequest&) const = default;
};
using TFaxRequest =
    std::variant<TConnectRequest, TSubmitRequest, TJobsRequest, TCancelRequest, TResendRequest, TWatchRequest>;

// The longest destination name a submission may carry, in bytes.
constexpr size_t MaxFaxNameBytes = 256;

std::string EncodeRequest(const TFaxRequest& request);
// Reads a request line; false with the refusal's text when the line is not a
// request the service takes.
bool DecodeRequest(std::string_view line, TFaxRequest& request, std::string& error);

// A number the service dials: 1 to 40 ASCII digits.
bool IsValidFaxNumber(const std::string& number);

struct TConnectAnswer {
    std::string Service = FaxServiceName;
    int64_t Protocol = FaxProtocolVersion;
    std::string Line;
    bool Simulated = false;
    std::string SentItems; // the service's folders: completed faxes,
    std::string Reports;   // and transmission reports
    bool operator==(const TConnectAnswer&) const = default;
};
struct TSubmitAnswer {
    std::vector<std::string> Jobs;
    bool operator==(const TSubmitAnswer&) const = default;
};
// One job as the service shows it.
struct TJobInfo {
    std::string Id;
    std::string Number;
    std::string State;
    int64_t Pages = 0;
    std::string Error;
    std::string Line;
    bool Simulated = false;
    std::string RemoteId;
    std::string Status;
    std::string Submitted;
    std::string Finished;
    std::string Name;         // the destination's name, when the submission gave one
    double LineSeconds = 0;   // time on the line
    std::string StationId;    // the far end's station id
    bool operator==(const TJobInfo&) const = default;
};
struct TJobsAnswer {
    std::vector<TJobInfo> Jobs;
    bool operator==(const TJobsAnswer&) const = default;
};

std::string EncodeAnswer(const TConnectAnswer& answer);
std::string EncodeAnswer(const TSubmitAnswer& answer);
std::string EncodeAnswer(const TJobsAnswer& answer);
std::string EncodeRefusal(const std::string& error);
// {"ok":true}
std::string EncodeAgreement();

// A watch connection's line for a changed job, and back: nothing when the
// line is not a job event.
std::string EncodeJobEvent(const TJobInfo& job);
std::optional<TJobInfo> DecodeJobEvent(std::string_view line);

// An answer line as read: whether the service agreed, its refusal text, and
// the whole object for the reader of that operation's answer.
struct TFaxAnswer {
    bool Ok = false;
    std::string Error;
    TJsonValue Object;
};
// Nothing when the line is not a JSON object with a boolean "ok".
std::optional<TFaxAnswer> DecodeAnswer(std::string_view line);

// The readers take what they can and pass over what they do not know. A
// connect answer without "protocol" speaks version 1; with one that is not a
// whole number, Protocol is -1.
TConnectAnswer ReadConnectAnswer(const TJsonValue& object);
TSubmitAnswer ReadSubmitAnswer(const TJsonValue& object);
TJobsAnswer ReadJobsAnswer(const TJsonValue& object);
