#include "faxproto/inbox_messages.h"

#include "faxproto/fax_messages.h"

namespace {

using TObject = TJsonValue::TObject;

bool DecodeId(const TJsonValue& object, std::string& id, std::string& error) {
    const TJsonValue* value = object.Find("id");
    if (value && value->IsInteger() && value->AsInteger() > 0) {
        id = std::to_string(value->AsInteger());
        return true;
    }
    if (!value || !value->IsString() || value->AsString().empty() ||
        value->AsString().find_first_not_of("0123456789") != std::string::npos || value->AsString().size() > 15) {
        error = "no such fax";
        return false;
    }
    id = value->AsString();
    return true;
}

bool DecodeRecipients(const TJsonValue& object, std::vector<std::string>& numbers, std::string& error) {
    const TJsonValue* recipients = object.Find("recipients");
    if (!recipients || !recipients->IsArray() || recipients->AsArray().empty()) {
        error = "no recipients";
        return false;
    }
    if (recipients->AsArray().size() > MaxFaxRecipients) {
        error = "too many recipients";
        return false;
    }
    for (const TJsonValue& recipient : recipients->AsArray()) {
        if (!recipient.IsString() || !IsValidFaxNumber(recipient.AsString())) {
            error = "invalid fax number: only ASCII digits are allowed";
            return false;
        }
        numbers.push_back(recipient.AsString());
    }
    return true;
}

bool DecodeReceive(const TJsonValue& object, TReceiveRequest& receive, std::string& error) {
    const TJsonValue* body = object.Find("body");
    const TJsonValue* from = object.Find("from");
    if (!body || !body->IsString()) {
        error = "no body";
        return false;
    }
    if (!from || !from->IsString() || !IsValidFaxNumber(from->AsString())) {
        error = "invalid sender number: only ASCII digits are allowed";
        return false;
    }
    receive.Body = body->AsString();
    receive.From = from->AsString();
    return true;
}

}  // namespace

TInboxDecode DecodeInboxRequest(std::string_view line, TInboxOperation& operation, std::string& error) {
    std::optional<TJsonValue> object = IsValidUtf8(line) ? DecodeJson(line) : std::nullopt;
    const TJsonValue* op = object ? object->Find("op") : nullptr;
    if (!op || !op->IsString()) return idOther;
    const std::string& name = op->AsString();
    if (name == "inbox") {
        operation = TInboxRequest{};
        return idDecoded;
    }
    if (name == "mark") {
        TMarkRequest mark;
        const TJsonValue* read = object->Find("read");
        if (!DecodeId(*object, mark.Id, error)) return idRefused;
        if (!read || !read->IsBool()) {
            error = "read must be true or false";
            return idRefused;
        }
        mark.Read = read->AsBool();
        operation = mark;
        return idDecoded;
    }
    if (name == "delete") {
        TDeleteRequest remove;
        if (!DecodeId(*object, remove.Id, error)) return idRefused;
        operation = remove;
        return idDecoded;
    }
    if (name == "forward") {
        TForwardRequest forward;
        if (!DecodeId(*object, forward.Id, error) || !DecodeRecipients(*object, forward.Recipients, error))
            return idRefused;
        operation = std::move(forward);
        return idDecoded;
    }
    if (name == "receive") {
        TReceiveRequest receive;
        if (!DecodeReceive(*object, receive, error)) return idRefused;
        operation = std::move(receive);
        return idDecoded;
    }
    return idOther;
}

std::string EncodeInboxRequest(const TInboxOperation& operation) {
    TObject members;
    if (const auto* mark = std::get_if<TMarkRequest>(&operation)) {
        members = {{"op", "mark"}, {"id", mark->Id}, {"read", mark->Read}};
    } else if (const auto* remove = std::get_if<TDeleteRequest>(&operation)) {
        members = {{"op", "delete"}, {"id", remove->Id}};
    } else if (const auto* forward = std::get_if<TForwardRequest>(&operation)) {
        TJsonValue::TArray numbers(forward->Recipients.begin(), forward->Recipients.end());
        members = {{"op", "forward"}, {"id", forward->Id}, {"recipients", std::move(numbers)}};
    } else if (const auto* receive = std::get_if<TReceiveRequest>(&operation)) {
        members = {{"op", "receive"}, {"body", receive->Body}, {"from", receive->From}};
    } else {
        members = {{"op", "inbox"}};
    }
    return EncodeJson(TJsonValue(std::move(members)));
}

TJsonValue InboxFaxObject(const TInboxFax& fax, bool withSource) {
    TObject members{{"arrived", fax.Arrived}, {"id", fax.Id},        {"line", fax.Line},
                    {"number", fax.Number},   {"pages", fax.Pages},  {"read", fax.Read},
                    {"simulated", fax.Simulated}, {"station", fax.Station}};
    if (withSource) members.emplace_back("source", fax.Source);
    return TJsonValue(std::move(members));
}

TInboxFax ReadInboxFax(const TJsonValue& object) {
    TInboxFax fax;
    fax.Id = StringOf(object, "id");
    fax.Arrived = StringOf(object, "arrived");
    fax.Station = StringOf(object, "station");
    fax.Number = StringOf(object, "number");
    fax.Pages = static_cast<int64_t>(NumberOf(object, "pages"));
    fax.Line = StringOf(object, "line");
    fax.Simulated = BoolOf(object, "simulated");
    fax.Read = BoolOf(object, "read");
    fax.Source = StringOf(object, "source");
    return fax;
}

std::string EncodeAnswer(const TInboxAnswer& answer) {
    TJsonValue::TArray faxes;
    faxes.reserve(answer.Faxes.size());
    for (const TInboxFax& fax : answer.Faxes) faxes.push_back(InboxFaxObject(fax, false));
    return EncodeJson(TJsonValue(TObject{{"faxes", std::move(faxes)}, {"ok", true}}));
}

TInboxAnswer ReadInboxAnswer(const TJsonValue& object) {
    TInboxAnswer answer;
    const TJsonValue* faxes = object.Find("faxes");
    if (!faxes || !faxes->IsArray()) return answer;
    for (const TJsonValue& entry : faxes->AsArray())
        if (entry.IsObject()) answer.Faxes.push_back(ReadInboxFax(entry));
    return answer;
}

std::string EncodeFaxAnswer(const TInboxFax& fax) {
    return EncodeJson(TJsonValue(TObject{{"fax", InboxFaxObject(fax, false)}, {"ok", true}}));
}

std::string EncodeDone() { return EncodeJson(TJsonValue(TObject{{"ok", true}})); }

std::string EncodeFaxEvent(const TInboxFax& fax) {
    return EncodeJson(TJsonValue(TObject{{"event", "fax"}, {"fax", InboxFaxObject(fax, false)}}));
}

std::optional<TInboxFax> DecodeFaxEvent(std::string_view line) {
    std::optional<TJsonValue> object = DecodeJson(line);
    const TJsonValue* fax = object ? object->Find("fax") : nullptr;
    if (!fax || !fax->IsObject() || StringOf(*object, "event") != "fax") return std::nullopt;
    return ReadInboxFax(*fax);
}
