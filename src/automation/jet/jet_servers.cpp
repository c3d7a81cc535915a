#include "automation/jet/jet_servers.h"

#include "automation/jet/adodb_connection.h"
#include "automation/jet/adodb_recordset.h"
#include "automation/jet/adox_catalog.h"
#include "automation/jet/jro_jet_engine.h"
#include "automation/server_registry.h"

void RegisterJetServers() {
    TServerRegistry& registry = TServerRegistry::Instance();
    registry.Register("ADODB.Connection", [] { return std::make_shared<TAdoConnection>(); });
    registry.Register("ADODB.Recordset", [] { return std::make_shared<TAdoRecordset>(); });
    registry.Register("ADOX.Catalog", [] { return std::make_shared<TAdoxCatalog>(); });
    registry.Register("JRO.JetEngine", [] { return std::make_shared<TJroJetEngine>(); });
}
