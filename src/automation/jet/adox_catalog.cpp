#include "automation/jet/adox_catalog.h"

#include "automation/jet/jet_database.h"

const TMemberTable& TAdoxCatalog::Members() const {
    static const TMemberTable table = {
        MakeMember<TAdoxCatalog>("Create", mkMethod, 1, 1, &TAdoxCatalog::Create),
    };
    return table;
}

TVariant TAdoxCatalog::Create(const TArgs& args) {
    std::string path = JetDataSource(ArgAt(args, 0).AsString());
    if (path.empty()) throw TAutomationError("Provider cannot be found or the connection string is not valid.");
    std::string error;
    if (!CreateJetDatabase(path, error)) throw TAutomationError(error);
    return {};
}
