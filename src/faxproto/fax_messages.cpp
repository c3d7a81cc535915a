#include "faxproto/fax_messages.h"

#include <algorithm>

namespace {

using TObject = TJsonValue::TObject;

bool DecodeSubmit(const TJsonValue& object, TSubmitRequest& submit, std::string& error) {
    const TJsonValue* recipients = object.Find("recipients");
    const TJsonValue* body = object.Find("body");
    if (!recipients || !recipients->IsArray() || recipients->AsArray().empty()) {
        error = "no recipients";
        return false;
    }
    if (!body || !body->IsString()) {
        error = "no body";
        return false;
    }
    for (const TJsonValue& recipient : recipients->AsArray()) {
        if (!recipient.IsString()) {
            error = "fax numbers must be strings of digits";
            return false;
        }
        if (!IsValidFaxNumber(recipient.AsString())) {
            error = "invalid fax number: only ASCII digits are allowed";
            return false;
        }
        submit.Recipients.push_back(recipient.AsString());
    }
    if (submit.Recipients.size() > MaxFaxRecipients) {
        error = "too many recipients";
        return false;
    }
    submit.Body = body->AsString();
    if (const TJsonValue* name = object.Find("name"); name && !name->IsNull()) {
        if (!name->IsString() || name->AsString().size() > MaxFaxNameBytes) {
            error = "name must be a string of at most 256 bytes";
            return false;
        }
        submit.Name = name->AsString();
    }
    return true;
}

bool DecodeJobId(const TJsonValue& object, std::string& id, std::string& error) {
    const TJsonValue* value = object.Find("id");
    if (value && value->IsInteger() && value->AsInteger() > 0) id = std::to_string(value->AsInteger());
    else if (value && value->IsString()) id = value->AsString();
    if (id.empty() || id.size() > 15 || id.find_first_not_of("0123456789") != std::string::npos) {
        error = "no job id";
        return false;
    }
    return true;
}

TObject JobMembers(const TJobInfo& job) {
    TObject members{{"error", job.Error},
                    {"finished", job.Finished},
                    {"id", job.Id},
                    {"line", job.Line},
                    {"line_seconds", job.LineSeconds},
                    {"name", job.Name},
                    {"number", job.Number},
                    {"pages", job.Pages},
                    {"remote_id", job.RemoteId},
                    {"simulated", job.Simulated},
                    {"state", job.State},
                    {"station_id", job.StationId},
                    {"status", job.Status},
                    {"submitted", job.Submitted}};
    return members;
}

TJobInfo ReadJob(const TJsonValue& entry) {
    TJobInfo job;
    job.Id = StringOf(entry, "id");
    job.Number = StringOf(entry, "number");
    job.State = StringOf(entry, "state");
    job.Pages = static_cast<int64_t>(NumberOf(entry, "pages"));
    job.Error = StringOf(entry, "error");
    job.Line = StringOf(entry, "line");
    job.Simulated = BoolOf(entry, "simulated");
    job.RemoteId = StringOf(entry, "remote_id");
    job.Status = StringOf(entry, "status");
    job.Submitted = StringOf(entry, "submitted");
    job.Finished = StringOf(entry, "finished");
    job.Name = StringOf(entry, "name");
    job.LineSeconds = NumberOf(entry, "line_seconds");
    job.StationId = StringOf(entry, "station_id");
    return job;
}

// The service's answers list their members in name order.
std::string Answer(TObject members) {
    members.emplace_back("ok", true);
    std::sort(members.begin(), members.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return EncodeJson(TJsonValue(std::move(members)));
}

TJsonValue::TArray Strings(const std::vector<std::string>& texts) { return {texts.begin(), texts.end()}; }

} // namespace

bool IsValidFaxNumber(const std::string& number) {
    if (number.empty() || number.size() > 40) return false;
    for (char c : number)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string EncodeRequest(const TFaxRequest& request) {
    if (const auto* connect = std::get_if<TConnectRequest>(&request))
        return EncodeJson(TJsonValue(TObject{{"op", "connect"}, {"server", connect->Server}}));
    if (const auto* submit = std::get_if<TSubmitRequest>(&request)) {
        TObject members{{"op", "submit"}, {"recipients", Strings(submit->Recipients)}, {"body", submit->Body}};
        if (!submit->Name.empty()) members.emplace_back("name", submit->Name);
        return EncodeJson(TJsonValue(std::move(members)));
    }
    if (const auto* cancel = std::get_if<TCancelRequest>(&request))
        return EncodeJson(TJsonValue(TObject{{"op", "cancel"}, {"id", cancel->Id}}));
    if (const auto* resend = std::get_if<TResendRequest>(&request))
        return EncodeJson(TJsonValue(TObject{{"op", "resend"}, {"id", resend->Id}}));
    if (std::holds_alternative<TWatchRequest>(request)) return EncodeJson(TJsonValue(TObject{{"op", "watch"}}));
    return EncodeJson(TJsonValue(TObject{{"op", "jobs"}}));
}

bool DecodeRequest(std::string_view line, TFaxRequest& request, std::string& error) {
    std::optional<TJsonValue> object = IsValidUtf8(line) ? DecodeJson(line) : std::nullopt;
    if (!object || !object->IsObject()) {
        error = "malformed request";
        return false;
    }
    const TJsonValue* op = object->Find("op");
    if (!op || !op->IsString()) {
        error = "missing op";
        return false;
    }
    if (op->AsString() == "connect") {
        const TJsonValue* server = object->Find("server");
        if (server && !server->IsString() && !server->IsNull()) {
            error = "server must be a string";
            return false;
        }
        request = TConnectRequest{server && server->IsString() ? server->AsString() : std::string()};
        return true;
    }
    if (op->AsString() == "submit") {
        TSubmitRequest submit;
        if (!DecodeSubmit(*object, submit, error)) return false;
        request = std::move(submit);
        return true;
    }
    if (op->AsString() == "jobs") {
        request = TJobsRequest{};
        return true;
    }
    if (op->AsString() == "cancel" || op->AsString() == "resend") {
        std::string id;
        if (!DecodeJobId(*object, id, error)) return false;
        if (op->AsString() == "cancel") request = TCancelRequest{id};
        else request = TResendRequest{id};
        return true;
    }
    if (op->AsString() == "watch") {
        request = TWatchRequest{};
        return true;
    }
    error = "unknown op";
    return false;
}

std::string EncodeAnswer(const TConnectAnswer& answer) {
    return Answer({{"service", answer.Service},
                   {"protocol", answer.Protocol},
                   {"line", answer.Line},
                   {"simulated", answer.Simulated},
                   {"sent_items", answer.SentItems},
                   {"reports", answer.Reports},
                   {"inbox", answer.Inbox}});
}

std::string EncodeAnswer(const TSubmitAnswer& answer) { return Answer({{"jobs", Strings(answer.Jobs)}}); }

std::string EncodeAnswer(const TJobsAnswer& answer) {
    TJsonValue::TArray jobs;
    jobs.reserve(answer.Jobs.size());
    for (const TJobInfo& job : answer.Jobs) jobs.emplace_back(JobMembers(job));
    return Answer({{"jobs", std::move(jobs)}});
}

std::string EncodeAgreement() { return Answer({}); }

std::string EncodeJobEvent(const TJobInfo& job) {
    TObject members = JobMembers(job);
    members.insert(members.begin(), {"event", "job"});
    return EncodeJson(TJsonValue(std::move(members)));
}

std::optional<TJobInfo> DecodeJobEvent(std::string_view line) {
    std::optional<TJsonValue> object = DecodeJson(line);
    if (!object || StringOf(*object, "event") != "job") return std::nullopt;
    TJobInfo job = ReadJob(*object);
    if (job.Id.empty()) return std::nullopt;
    return job;
}

std::string EncodeRefusal(const std::string& error) {
    return EncodeJson(TJsonValue(TObject{{"error", error}, {"ok", false}}));
}

std::optional<TFaxAnswer> DecodeAnswer(std::string_view line) {
    std::optional<TJsonValue> object = DecodeJson(line);
    const TJsonValue* ok = object ? object->Find("ok") : nullptr;
    if (!ok || !ok->IsBool()) return std::nullopt;
    TFaxAnswer answer;
    answer.Ok = ok->AsBool();
    answer.Error = StringOf(*object, "error");
    answer.Object = std::move(*object);
    return answer;
}

TConnectAnswer ReadConnectAnswer(const TJsonValue& object) {
    TConnectAnswer answer;
    answer.Service = StringOf(object, "service");
    if (const TJsonValue* protocol = object.Find("protocol"))
        answer.Protocol = protocol->IsInteger() ? protocol->AsInteger() : -1;
    answer.Line = StringOf(object, "line");
    answer.Simulated = BoolOf(object, "simulated");
    answer.SentItems = StringOf(object, "sent_items");
    answer.Reports = StringOf(object, "reports");
    answer.Inbox = StringOf(object, "inbox");
    return answer;
}

TSubmitAnswer ReadSubmitAnswer(const TJsonValue& object) {
    TSubmitAnswer answer;
    if (const TJsonValue* jobs = object.Find("jobs"); jobs && jobs->IsArray()) {
        for (const TJsonValue& id : jobs->AsArray()) {
            if (id.IsString()) answer.Jobs.push_back(id.AsString());
            else if (id.IsInteger()) answer.Jobs.push_back(std::to_string(id.AsInteger()));
        }
    }
    return answer;
}

TJobsAnswer ReadJobsAnswer(const TJsonValue& object) {
    TJobsAnswer answer;
    const TJsonValue* jobs = object.Find("jobs");
    if (!jobs || !jobs->IsArray()) return answer;
    for (const TJsonValue& entry : jobs->AsArray()) answer.Jobs.push_back(ReadJob(entry));
    return answer;
}
