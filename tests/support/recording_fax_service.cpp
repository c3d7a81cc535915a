#include "recording_fax_service.h"

#include "temp_dir.h"

namespace {

class TFakeFaxObject : public TAutomationObject {
public:
    explicit TFakeFaxObject(TRecordingFaxService& service) : Service(service) {}
    std::string_view ClassName() const override { return "FakeFax"; }
    const TMemberTable& Members() const override {
        static const TMemberTable table = {
            MakeMember<TFakeFaxObject>("Connect", mkMethod, 1, 1, &TFakeFaxObject::Connect),
            MakeMember<TFakeFaxObject>("Disconnect", mkMethod, 0, 0, &TFakeFaxObject::Disconnect),
            MakeMember<TFakeFaxObject>("Recipients", mkPropertyGet, 0, 0, &TFakeFaxObject::Recipients),
            MakeMember<TFakeFaxObject>("Add", mkMethod, 1, 2, &TFakeFaxObject::Add),
            MakeMember<TFakeFaxObject>("Body", mkPropertyPut, 1, 1, &TFakeFaxObject::PutBody),
            MakeMember<TFakeFaxObject>("ConnectedSubmit", mkMethod, 1, 1, &TFakeFaxObject::ConnectedSubmit),
        };
        return table;
    }

private:
    void Step(const std::string& name, const std::string& record) {
        Service.Calls.push_back(record);
        if (Service.FailAt == name) throw TAutomationError(name + " refused");
    }
    TVariant Connect(const TArgs& args) {
        Step("Connect", "Connect(" + args[0].AsString() + ")");
        return {};
    }
    TVariant Disconnect(const TArgs&) {
        Step("Disconnect", "Disconnect");
        return {};
    }
    TVariant Recipients(const TArgs&) {
        Step("Recipients", "Recipients");
        return TVariant(shared_from_this());
    }
    TVariant Add(const TArgs& args) {
        Number = args[0].AsString();
        Step("Add", "Add(" + Number + ")");
        return {};
    }
    TVariant PutBody(const TArgs& args) {
        Body = args.back().AsString();
        Step("Body", "Body=" + Body);
        return {};
    }
    TVariant ConnectedSubmit(const TArgs&) {
        Step("ConnectedSubmit", "ConnectedSubmit");
        Service.Jobs.push_back({Number, Body, ReadFileBytes(Body)});
        return TVariant("1");
    }

    TRecordingFaxService& Service;
    std::string Number;
    std::string Body;
};

} // namespace

TRecordingFaxService::TRecordingFaxService()
    : Server("FAXCOMEX.FaxServer", [this] { return std::make_shared<TFakeFaxObject>(*this); }),
      Document("FAXCOMEX.FaxDocument", [this] { return std::make_shared<TFakeFaxObject>(*this); }) {}
