#include "book/book_steps.h"

#include "automation/automation_error.h"
#include "automation/server_registry.h"
#include "book/book_files.h"
#include "book/book_statements.h"

bool CreateServer(const char* progId, TVariant& object) {
    try {
        object = CreateObject(progId);
        return true;
    } catch (const TAutomationError&) {
        object.Clear();
        return false;
    }
}

bool OpenBookConnection(const TVariant& connection, const std::string& path) {
    if (!BookFileExists(path)) return false;
    try {
        connection.Call("Open", {JetConnectionString(path)});
        return true;
    } catch (const TAutomationError&) {
        return false;
    }
}

bool ExecuteSql(const TVariant& connection, const std::string& statement) {
    try {
        connection.Call("Execute", {statement});
        return true;
    } catch (const TAutomationError&) {
        return false;
    }
}

bool OpenRecordset(const TVariant& connection, const TVariant& recordset, const std::string& statement) {
    try {
        recordset.Call("Open", {statement, connection});
        return true;
    } catch (const TAutomationError&) {
        return false;
    }
}

bool RecordExists(const TVariant& connection, const TVariant& recordset, const std::string& statement) {
    if (!OpenRecordset(connection, recordset, statement)) return false;
    bool exists = false;
    try {
        exists = !recordset.Get("BOF").AsBool() && !recordset.Get("EOF").AsBool();
    } catch (const TAutomationError&) {
        exists = false;
    }
    CloseQuietly(recordset);
    return exists;
}

void CloseQuietly(const TVariant& object) {
    try {
        object.Call("Close");
    } catch (const TAutomationError&) {
    }
}

bool CreateDatabaseFile(const std::string& path) {
    if (!PreserveUnreadableFile(path)) return false;
    TVariant catalog;
    if (!CreateServer("ADOX.Catalog", catalog)) return false;
    try {
        catalog.Call("Create", {JetConnectionString(path)});
        return true;
    } catch (const TAutomationError&) {
        return false;
    }
}

bool BeginTransaction(const TVariant& connection) {
    try {
        connection.Call("BeginTrans");
        return true;
    } catch (const TAutomationError&) {
        return false;
    }
}

bool CommitTransaction(const TVariant& connection) {
    try {
        connection.Call("CommitTrans");
        return true;
    } catch (const TAutomationError&) {
        return false;
    }
}

void RollbackTransaction(const TVariant& connection) {
    try {
        connection.Call("RollbackTrans");
    } catch (const TAutomationError&) {
    }
}
