#include "automation/fax/register_fax_servers.h"

#include "automation/fax/faxcomex_document.h"
#include "automation/fax/faxcomex_server.h"
#include "automation/fax/legacy_fax_server.h"
#include "automation/server_registry.h"

void RegisterFaxServers() {
    TServerRegistry& registry = TServerRegistry::Instance();
    registry.Register("FAXCOMEX.FaxServer", [] { return std::make_shared<TFaxComServer>(); });
    registry.Register("FAXCOMEX.FaxDocument", [] { return std::make_shared<TFaxComDocument>(); });
    registry.Register("FaxServer.FaxServer", [] { return std::make_shared<TFaxLegacyServer>(); });
}
