#include "automation/jet/jro_jet_engine.h"

#include "automation/jet/jet_database.h"
#include "durable/durable_file.h"

#include <sys/stat.h>
#include <unistd.h>

const TMemberTable& TJroJetEngine::Members() const {
    static const TMemberTable table = {
        MakeMember<TJroJetEngine>("CompactDatabase", mkMethod, 2, 2, &TJroJetEngine::CompactDatabase),
    };
    return table;
}

TVariant TJroJetEngine::CompactDatabase(const TArgs& args) {
    std::string source = JetDataSource(ArgAt(args, 0).AsString());
    std::string target = JetDataSource(ArgAt(args, 1).AsString());
    if (source.empty() || target.empty())
        throw TAutomationError("Provider cannot be found or the connection string is not valid.");
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0) throw TAutomationError("Database already exists.");

    TSqliteDatabase database;
    if (!OpenJetDatabase(source, true, database)) throw TAutomationError(database.LastError());
    TJetStatement vacuum{"VACUUM INTO ?1", {target}, jskCommand};
    TSqliteStatement prepared;
    bool compacted = PrepareJetStatement(database, vacuum, prepared) && prepared.Step() == TSqliteStatement::srDone;
    std::string error = database.LastError();
    database.Close();
    if (compacted && SyncFile(target)) return {};
    ::unlink(target.c_str());
    throw TAutomationError(compacted ? "The compacted database could not be written to the disk." : error);
}
