#pragma once

#include "automation/jet/jet_statement.h"
#include "automation/jet/sqlite_handle.h"

#include <string>
#include <string_view>

// The file behind a Jet connection string: an SQLite database that carries
// this system's application id in its header. Nothing here ever lets SQLite
// create a file on open or adopt a file that is not such a database.

// The path of a connection string of the one form the system uses:
// Provider=Microsoft.Jet.OLEDB.4.0;Data Source="<path>". Empty for anything else.
std::string JetDataSource(std::string_view connectionString);

// How long a statement waits for another connection's write to finish.
inline constexpr int JetBusyTimeoutMs = 10000;

// Opens an existing database of ours, with the Japanese collation and the busy
// timeout in place. False, with the reason in database.LastError(), when no
// file is there or it is not one of ours.
bool OpenJetDatabase(const std::string& path, bool readOnly, TSqliteDatabase& database);

// Creates a new, empty database of ours at path, which must not exist yet.
// False (nothing left behind) when it cannot.
bool CreateJetDatabase(const std::string& path, std::string& error);

// Runs a translated command; with ownTransaction, in a transaction of its own
// that takes the write lock at its start, so that a write waits for another
// connection's write (up to the busy timeout) instead of failing at once.
bool RunJetCommand(TSqliteDatabase& database, const TJetStatement& statement, bool ownTransaction = true);

// Prepares a translated statement and binds its values.
bool PrepareJetStatement(TSqliteDatabase& database, const TJetStatement& statement, TSqliteStatement& prepared);
