#include "automation/fax/faxcomex_document.h"

#include "automation/fax/faxcomex_server.h"

namespace {

// The recipients of one document.
class TFaxComRecipients : public TAutomationObject {
public:
    explicit TFaxComRecipients(std::shared_ptr<std::vector<TFaxRecipient>> recipients)
        : Recipients(std::move(recipients)) {}
    std::string_view ClassName() const override { return "FaxRecipients"; }
    const TMemberTable& Members() const override {
        static const TMemberTable table = {
            MakeMember<TFaxComRecipients>("Add", mkMethod, 1, 2, &TFaxComRecipients::Add),
            MakeMember<TFaxComRecipients>("Count", mkPropertyGet, 0, 0, &TFaxComRecipients::Count),
            MakeMember<TFaxComRecipients>("Item", mkPropertyGet, 1, 1, &TFaxComRecipients::Item),
        };
        return table;
    }

private:
    // Add(number [, name]): the name is the destination's, shown in the
    // service's reports and notifications.
    TVariant Add(const TArgs& args) {
        std::string number = args[0].AsString();
        if (number.empty()) throw TAutomationError("FaxRecipients.Add: empty fax number");
        Recipients->push_back({std::move(number), args.size() > 1 ? args[1].AsString() : std::string()});
        return {};
    }
    TVariant Count(const TArgs&) { return static_cast<int32_t>(Recipients->size()); }
    // Recipients are numbered from 1, as the collection's owner counts them.
    TVariant Item(const TArgs& args) {
        int32_t index = args[0].AsInt32();
        if (index < 1 || static_cast<size_t>(index) > Recipients->size())
            throw TAutomationError("FaxRecipients.Item: index out of range");
        return (*Recipients)[static_cast<size_t>(index - 1)].Number;
    }

    std::shared_ptr<std::vector<TFaxRecipient>> Recipients;
};

// The job identifiers one submission produced.
class TFaxJobIdList : public TAutomationObject {
public:
    explicit TFaxJobIdList(std::vector<std::string> ids) : Ids(std::move(ids)) {}
    std::string_view ClassName() const override { return "FaxJobIds"; }
    const TMemberTable& Members() const override {
        static const TMemberTable table = {
            MakeMember<TFaxJobIdList>("Count", mkPropertyGet, 0, 0, &TFaxJobIdList::Count),
            MakeMember<TFaxJobIdList>("Item", mkPropertyGet, 1, 1, &TFaxJobIdList::Item),
        };
        return table;
    }

private:
    TVariant Count(const TArgs&) { return static_cast<int32_t>(Ids.size()); }
    TVariant Item(const TArgs& args) {
        int32_t index = args[0].AsInt32();
        if (index < 0 || static_cast<size_t>(index) >= Ids.size())
            throw TAutomationError("FaxJobIds.Item: index out of range");
        return Ids[static_cast<size_t>(index)];
    }

    std::vector<std::string> Ids;
};

} // namespace

TFaxComDocument::TFaxComDocument() : Recipients(std::make_shared<std::vector<TFaxRecipient>>()) {}

const TMemberTable& TFaxComDocument::Members() const {
    static const TMemberTable table = {
        MakeMember<TFaxComDocument>("Recipients", mkPropertyGet, 0, 0, &TFaxComDocument::GetRecipients),
        MakeMember<TFaxComDocument>("Body", mkPropertyGet, 0, 0, &TFaxComDocument::GetBody),
        MakeMember<TFaxComDocument>("Body", mkPropertyPut, 1, 1, &TFaxComDocument::PutBody),
        MakeMember<TFaxComDocument>("ConnectedSubmit", mkMethod, 1, 1, &TFaxComDocument::ConnectedSubmit),
    };
    return table;
}

TVariant TFaxComDocument::GetRecipients(const TArgs&) { return MakeObject<TFaxComRecipients>(Recipients); }

TVariant TFaxComDocument::GetBody(const TArgs&) { return Body; }

TVariant TFaxComDocument::PutBody(const TArgs& args) {
    Body = args.back().AsString();
    return {};
}

TVariant TFaxComDocument::ConnectedSubmit(const TArgs& args) {
    auto server = std::dynamic_pointer_cast<TFaxComServer>(args[0].AsObject());
    if (!server) throw TAutomationError("FaxDocument.ConnectedSubmit: not a fax server object");
    if (!server->Connection().IsOpen()) throw TAutomationError("FaxDocument.ConnectedSubmit: the server is not connected");
    return MakeObject<TFaxJobIdList>(server->Connection().Submit(*Recipients, Body));
}
