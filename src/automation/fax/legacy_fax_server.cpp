#include "automation/fax/legacy_fax_server.h"

TFaxLegacyServer::TFaxLegacyServer() : Link(std::make_shared<TFaxConnection>()) {}

const TMemberTable& TFaxLegacyServer::Members() const {
    static const TMemberTable table = {
        MakeMember<TFaxLegacyServer>("Connect", mkMethod, 1, 1, &TFaxLegacyServer::Connect),
        MakeMember<TFaxLegacyServer>("CreateDocument", mkMethod, 1, 1, &TFaxLegacyServer::CreateDocument),
        MakeMember<TFaxLegacyServer>("Disconnect", mkMethod, 0, 0, &TFaxLegacyServer::Disconnect),
    };
    return table;
}

TVariant TFaxLegacyServer::Connect(const TArgs& args) {
    Link->Open(args[0].AsString());
    return {};
}

// The argument names the document; the file to send is set through FileName.
TVariant TFaxLegacyServer::CreateDocument(const TArgs&) {
    if (!Link->IsOpen()) throw TAutomationError("FaxServer.CreateDocument: not connected");
    return MakeObject<TFaxLegacyDocument>(Link);
}

TVariant TFaxLegacyServer::Disconnect(const TArgs&) {
    Link->Close();
    return {};
}

const TMemberTable& TFaxLegacyDocument::Members() const {
    static const TMemberTable table = {
        MakeMember<TFaxLegacyDocument>("FaxNumber", mkPropertyGet, 0, 0, &TFaxLegacyDocument::GetFaxNumber),
        MakeMember<TFaxLegacyDocument>("FaxNumber", mkPropertyPut, 1, 1, &TFaxLegacyDocument::PutFaxNumber),
        MakeMember<TFaxLegacyDocument>("FileName", mkPropertyGet, 0, 0, &TFaxLegacyDocument::GetFileName),
        MakeMember<TFaxLegacyDocument>("FileName", mkPropertyPut, 1, 1, &TFaxLegacyDocument::PutFileName),
        MakeMember<TFaxLegacyDocument>("Send", mkMethod, 0, 0, &TFaxLegacyDocument::Send),
    };
    return table;
}

TVariant TFaxLegacyDocument::GetFaxNumber(const TArgs&) { return FaxNumber; }

TVariant TFaxLegacyDocument::PutFaxNumber(const TArgs& args) {
    FaxNumber = args.back().AsString();
    return {};
}

TVariant TFaxLegacyDocument::GetFileName(const TArgs&) { return FileName; }

TVariant TFaxLegacyDocument::PutFileName(const TArgs& args) {
    FileName = args.back().AsString();
    return {};
}

// Returns the job identifier the service gave.
TVariant TFaxLegacyDocument::Send(const TArgs&) {
    if (FaxNumber.empty()) throw TAutomationError("FaxDoc.Send: no fax number");
    if (!Link->IsOpen()) throw TAutomationError("FaxDoc.Send: the server is not connected");
    std::vector<std::string> jobs = Link->Submit({{FaxNumber, ""}}, FileName);
    return jobs.empty() ? TVariant() : TVariant(jobs.front());
}
