#pragma once

#include "automation/variant.h"

#include <string>

// The lower steps of the book's operations. Each reports success as a boolean
// and never lets an error of the database engine reach its caller.

// Creates a server object by ProgID; false when it cannot be created.
bool CreateServer(const char* progId, TVariant& object);

// False at once when no file is at path; otherwise opens the connection on it.
bool OpenBookConnection(const TVariant& connection, const std::string& path);

bool ExecuteSql(const TVariant& connection, const std::string& statement);

bool OpenRecordset(const TVariant& connection, const TVariant& recordset, const std::string& statement);

// True when the statement returns at least one record; the recordset is
// closed again whenever it was opened.
bool RecordExists(const TVariant& connection, const TVariant& recordset, const std::string& statement);

// Closes a connection or recordset, ignoring a failure to do so.
void CloseQuietly(const TVariant& object);

// Creates a new, empty database file at path. A file already there is not
// deleted: it is kept beside it under another name (see PreserveUnreadableFile).
bool CreateDatabaseFile(const std::string& path);

// Transactions around a group of writes; false when the engine refuses.
bool BeginTransaction(const TVariant& connection);
bool CommitTransaction(const TVariant& connection);
void RollbackTransaction(const TVariant& connection);
