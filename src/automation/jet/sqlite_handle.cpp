#include "automation/jet/sqlite_handle.h"

#include <sqlite3.h>

#include <utility>

TSqliteDatabase::~TSqliteDatabase() { Close(); }

TSqliteDatabase::TSqliteDatabase(TSqliteDatabase&& other) noexcept
    : Handle(std::exchange(other.Handle, nullptr)), Error(std::move(other.Error)) {}

TSqliteDatabase& TSqliteDatabase::operator=(TSqliteDatabase&& other) noexcept {
    if (this != &other) {
        Close();
        Handle = std::exchange(other.Handle, nullptr);
        Error = std::move(other.Error);
    }
    return *this;
}

bool TSqliteDatabase::Open(const std::string& path, int flags) {
    Close();
    int rc = sqlite3_open_v2(path.c_str(), &Handle, flags, nullptr);
    if (rc == SQLITE_OK) return true;
    Error = Handle ? sqlite3_errmsg(Handle) : sqlite3_errstr(rc);
    Close();
    return false;
}

void TSqliteDatabase::Close() {
    if (Handle) sqlite3_close_v2(Handle);
    Handle = nullptr;
}

bool TSqliteDatabase::Fail() {
    Error = Handle ? sqlite3_errmsg(Handle) : "database is not open";
    return false;
}

bool TSqliteDatabase::Exec(const char* sql) {
    if (!Handle) return Fail();
    char* message = nullptr;
    if (sqlite3_exec(Handle, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    Error = message ? message : sqlite3_errmsg(Handle);
    sqlite3_free(message);
    return false;
}

TSqliteStatement::~TSqliteStatement() { sqlite3_finalize(Handle); }

bool TSqliteStatement::Prepare(TSqliteDatabase& database, std::string_view sql) {
    sqlite3_finalize(Handle);
    Handle = nullptr;
    Database = &database;
    if (!database.IsOpen()) {
        database.SetError("database is not open");
        return false;
    }
    if (sqlite3_prepare_v2(database.Raw(), sql.data(), static_cast<int>(sql.size()), &Handle, nullptr) == SQLITE_OK)
        return true;
    database.SetError(sqlite3_errmsg(database.Raw()));
    return false;
}

bool TSqliteStatement::BindText(int index, std::string_view text) {
    if (sqlite3_bind_text(Handle, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) == SQLITE_OK)
        return true;
    Database->SetError(sqlite3_errmsg(Database->Raw()));
    return false;
}

TSqliteStatement::TStepResult TSqliteStatement::Step() {
    int rc = sqlite3_step(Handle);
    if (rc == SQLITE_ROW) return srRow;
    if (rc == SQLITE_DONE) return srDone;
    Database->SetError(sqlite3_errmsg(Database->Raw()));
    return srError;
}

int TSqliteStatement::ColumnCount() const { return sqlite3_column_count(Handle); }

std::string TSqliteStatement::ColumnName(int column) const {
    const char* name = sqlite3_column_name(Handle, column);
    return name ? name : "";
}

int TSqliteStatement::ColumnType(int column) const { return sqlite3_column_type(Handle, column); }

std::string TSqliteStatement::ColumnText(int column) const {
    const unsigned char* text = sqlite3_column_text(Handle, column);
    int size = sqlite3_column_bytes(Handle, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(size)) : std::string();
}

int64_t TSqliteStatement::ColumnInt64(int column) const { return sqlite3_column_int64(Handle, column); }

double TSqliteStatement::ColumnDouble(int column) const { return sqlite3_column_double(Handle, column); }
