#pragma once

#include "automation/automation_object.h"
#include "automation/jet/jet_rows.h"
#include "automation/jet/sqlite_handle.h"

#include <string_view>

// "ADODB.Connection": Open(connection string), Execute(statement), Close,
// State (0 closed, 1 open) and BeginTrans, CommitTrans, RollbackTrans. Execute
// of a query returns an open recordset. Outside BeginTrans each command is a
// transaction of its own.
class TAdoConnection : public TAutomationObject {
public:
    std::string_view ClassName() const override { return "Connection"; }
    const TMemberTable& Members() const override;

    // Runs a query of the accepted forms and reads all its rows; raises
    // TAutomationError when the connection is closed or the statement fails.
    TJetRows Query(std::string_view jetText);

private:
    TVariant Open(const TArgs& args);
    TVariant Execute(const TArgs& args);
    TVariant Close(const TArgs& args);
    TVariant State(const TArgs& args);
    TVariant BeginTrans(const TArgs& args);
    TVariant CommitTrans(const TArgs& args);
    TVariant RollbackTrans(const TArgs& args);

    void RequireOpen() const;
    TSqliteDatabase Database;
    bool InTransaction = false;
};
