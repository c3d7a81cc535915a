#include "automation/jet/adodb_connection.h"

#include "automation/jet/adodb_recordset.h"
#include "automation/jet/jet_database.h"

#include <sqlite3.h>

namespace {

[[noreturn]] void Raise(const std::string& text) { throw TAutomationError(text); }

TVariant ColumnValue(const TSqliteStatement& statement, int column) {
    switch (statement.ColumnType(column)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: return TVariant(statement.ColumnInt64(column));
    case SQLITE_FLOAT: return TVariant(statement.ColumnDouble(column));
    default: return TVariant(statement.ColumnText(column));
    }
}

} // namespace

const TMemberTable& TAdoConnection::Members() const {
    static const TMemberTable table = {
        MakeMember<TAdoConnection>("Open", mkMethod, 1, 4, &TAdoConnection::Open),
        MakeMember<TAdoConnection>("Execute", mkMethod, 1, 3, &TAdoConnection::Execute),
        MakeMember<TAdoConnection>("Close", mkMethod, 0, 0, &TAdoConnection::Close),
        MakeMember<TAdoConnection>("State", mkPropertyGet, 0, 0, &TAdoConnection::State),
        MakeMember<TAdoConnection>("BeginTrans", mkMethod, 0, 0, &TAdoConnection::BeginTrans),
        MakeMember<TAdoConnection>("CommitTrans", mkMethod, 0, 0, &TAdoConnection::CommitTrans),
        MakeMember<TAdoConnection>("RollbackTrans", mkMethod, 0, 0, &TAdoConnection::RollbackTrans),
    };
    return table;
}

void TAdoConnection::RequireOpen() const {
    if (!Database.IsOpen()) Raise("Operation is not allowed when the object is closed.");
}

TVariant TAdoConnection::Open(const TArgs& args) {
    if (Database.IsOpen()) Raise("Operation is not allowed when the object is open.");
    std::string path = JetDataSource(ArgAt(args, 0).AsString());
    if (path.empty()) Raise("Provider cannot be found or the connection string is not valid.");
    if (!OpenJetDatabase(path, false, Database)) Raise(Database.LastError());
    return {};
}

TVariant TAdoConnection::Execute(const TArgs& args) {
    RequireOpen();
    std::string text = ArgAt(args, 0).AsString();
    TJetStatement statement;
    std::string error;
    if (!TranslateJetStatement(text, statement, error)) Raise(error);
    if (statement.Kind == jskQuery) return MakeObject<TAdoRecordset>(Query(text));
    if (!RunJetCommand(Database, statement, !InTransaction)) Raise(Database.LastError());
    return {};
}

TJetRows TAdoConnection::Query(std::string_view jetText) {
    RequireOpen();
    TJetStatement statement;
    std::string error;
    if (!TranslateJetStatement(jetText, statement, error)) Raise(error);
    if (statement.Kind != jskQuery) Raise("The statement returns no rows.");
    TSqliteStatement prepared;
    if (!PrepareJetStatement(Database, statement, prepared)) Raise(Database.LastError());
    TJetRows rows;
    int columns = prepared.ColumnCount();
    for (int c = 0; c < columns; ++c) rows.Columns.push_back(prepared.ColumnName(c));
    for (;;) {
        TSqliteStatement::TStepResult step = prepared.Step();
        if (step == TSqliteStatement::srDone) break;
        if (step == TSqliteStatement::srError) Raise(Database.LastError());
        std::vector<TVariant>& row = rows.Rows.emplace_back();
        row.reserve(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) row.push_back(ColumnValue(prepared, c));
    }
    return rows;
}

TVariant TAdoConnection::Close(const TArgs&) {
    RequireOpen();
    // Closing inside a transaction discards it.
    Database.Close();
    InTransaction = false;
    return {};
}

TVariant TAdoConnection::BeginTrans(const TArgs&) {
    RequireOpen();
    if (InTransaction) Raise("Transactions cannot be nested.");
    if (!Database.Exec("BEGIN IMMEDIATE")) Raise(Database.LastError());
    InTransaction = true;
    return TVariant(int32_t{1});
}

TVariant TAdoConnection::CommitTrans(const TArgs&) {
    RequireOpen();
    if (!InTransaction) Raise("No transaction is active.");
    if (!Database.Exec("COMMIT")) {
        std::string reason = Database.LastError();
        Database.Exec("ROLLBACK");
        InTransaction = false;
        Raise(reason);
    }
    InTransaction = false;
    return {};
}

TVariant TAdoConnection::RollbackTrans(const TArgs&) {
    RequireOpen();
    if (!InTransaction) Raise("No transaction is active.");
    InTransaction = false;
    if (!Database.Exec("ROLLBACK")) Raise(Database.LastError());
    return {};
}

TVariant TAdoConnection::State(const TArgs&) { return TVariant(int32_t{Database.IsOpen() ? 1 : 0}); }
