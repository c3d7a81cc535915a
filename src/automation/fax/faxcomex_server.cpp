#include "automation/fax/faxcomex_server.h"

TFaxComServer::TFaxComServer() : Link(std::make_unique<TFaxConnection>()) {}

const TMemberTable& TFaxComServer::Members() const {
    static const TMemberTable table = {
        MakeMember<TFaxComServer>("Connect", mkMethod, 1, 1, &TFaxComServer::Connect),
        MakeMember<TFaxComServer>("Disconnect", mkMethod, 0, 0, &TFaxComServer::Disconnect),
        MakeMember<TFaxComServer>("ServerName", mkPropertyGet, 0, 0, &TFaxComServer::GetServerName),
    };
    return table;
}

TVariant TFaxComServer::Connect(const TArgs& args) {
    std::string name = args[0].AsString();
    ServerName.clear();
    Link->Open(name);
    ServerName = std::move(name);
    return {};
}

TVariant TFaxComServer::Disconnect(const TArgs&) {
    Link->Close();
    ServerName.clear();
    return {};
}

TVariant TFaxComServer::GetServerName(const TArgs&) { return ServerName; }
