#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// An open SQLite connection, closed when the object dies. Every operation
// reports failure as false; LastError() then holds this connection's message.
class TSqliteDatabase {
public:
    TSqliteDatabase() = default;
    ~TSqliteDatabase();
    TSqliteDatabase(TSqliteDatabase&& other) noexcept;
    TSqliteDatabase& operator=(TSqliteDatabase&& other) noexcept;
    TSqliteDatabase(const TSqliteDatabase&) = delete;
    TSqliteDatabase& operator=(const TSqliteDatabase&) = delete;

    // flags are SQLite's open flags; no flag here ever lets SQLite create a file
    // that the caller did not ask for.
    bool Open(const std::string& path, int flags);
    void Close();
    bool IsOpen() const { return Handle != nullptr; }
    sqlite3* Raw() const { return Handle; }

    // Runs statements that take no values and return no rows.
    bool Exec(const char* sql);
    const std::string& LastError() const { return Error; }
    void SetError(std::string text) { Error = std::move(text); }

private:
    bool Fail();
    sqlite3* Handle = nullptr;
    std::string Error;
};

// A prepared statement of a TSqliteDatabase, finalized when the object dies.
class TSqliteStatement {
public:
    TSqliteStatement() = default;
    ~TSqliteStatement();
    TSqliteStatement(const TSqliteStatement&) = delete;
    TSqliteStatement& operator=(const TSqliteStatement&) = delete;

    bool Prepare(TSqliteDatabase& database, std::string_view sql);
    bool BindText(int index, std::string_view text);

    enum TStepResult { srRow, srDone, srError };
    TStepResult Step();

    int ColumnCount() const;
    std::string ColumnName(int column) const;
    int ColumnType(int column) const;  // SQLITE_TEXT, SQLITE_NULL, ...
    std::string ColumnText(int column) const;
    int64_t ColumnInt64(int column) const;
    double ColumnDouble(int column) const;

private:
    TSqliteDatabase* Database = nullptr;
    sqlite3_stmt* Handle = nullptr;
};
