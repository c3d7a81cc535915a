#include "book/destination_book.h"

#include "app/app_state.h"
#include "automation/automation_error.h"
#include "book/book_files.h"
#include "book/book_grid.h"
#include "book/book_statements.h"
#include "book/book_steps.h"

#include <array>
#include <vector>

namespace {

using TGridRow = std::array<std::string, 5>;

// The writes of Delete and Replace, in one transaction: a correction whose
// insert fails takes nothing out of the book.
bool WriteInTransaction(const TVariant& connection, const std::vector<std::string>& statements) {
    if (!BeginTransaction(connection)) return false;
    for (const std::string& statement : statements) {
        if (!ExecuteSql(connection, statement)) {
            RollbackTransaction(connection);
            return false;
        }
    }
    return CommitTransaction(connection);
}

// Reads the whole list before the grid is touched, so that a failure part way
// leaves the grid as it was.
bool ReadList(const TVariant& connection, const TVariant& recordset, std::vector<TGridRow>& rows) {
    if (!OpenRecordset(connection, recordset, ListStatement())) return false;
    bool read = true;
    try {
        if (!recordset.Get("BOF").AsBool() && !recordset.Get("EOF").AsBool()) {
            recordset.Call("MoveFirst");
            while (!recordset.Get("EOF").AsBool()) {
                TVariant name = recordset.Get("Fields", {"fld0"}).Get("Value");
                TVariant number = recordset.Get("Fields", {"fld1"}).Get("Value");
                rows.push_back({"削除", "訂正", name.IsEmpty() ? std::string() : name.AsString(), number.AsString(),
                                "履歴"});
                recordset.Call("MoveNext");
            }
        }
    } catch (const TAutomationError&) {
        read = false;
    }
    CloseQuietly(recordset);
    return read;
}

// One row per destination, or a single empty row for an empty book. The row
// count goes straight to its new value, so that the cells already there are
// rewritten rather than made anew.
void FillGrid(const std::vector<TGridRow>& rows) {
    if (!BookGrid) return;
    if (rows.empty()) {
        BookGrid->SetRowCount(1);
        for (int column = 0; column < 5; ++column) BookGrid->SetCell(column, 0, "");
        return;
    }
    BookGrid->SetRowCount(static_cast<int>(rows.size()));
    for (size_t row = 0; row < rows.size(); ++row)
        for (int column = 0; column < 5; ++column)
            BookGrid->SetCell(column, static_cast<int>(row), rows[row][static_cast<size_t>(column)]);
}

} // namespace

bool UpdateBook(TBookAction action, const std::string& name, const std::string& number,
                const std::string& oldNumber) {
    TVariant connection;
    if (!CreateServer("ADODB.Connection", connection)) return false;
    if (!OpenBookConnection(connection, BookPath())) return false;

    TVariant recordset;
    if (!CreateServer("ADODB.Recordset", recordset)) {
        CloseQuietly(connection);
        return false;
    }
    switch (action) {
    case baList: break;
    case baDelete:
    case baReplace: {
        std::vector<std::string> writes = {DeleteStatement(action == baReplace ? oldNumber : number)};
        if (action == baReplace) {
            writes.push_back(DeleteStatement(number));
            writes.push_back(InsertStatement(name, number));
        }
        if (!WriteInTransaction(connection, writes)) {
            CloseQuietly(connection);
            return false;
        }
        BookChanged = true;
        break;
    }
    case baAddIfNew:
        // A number already in the book is the normal case: nothing is written.
        if (RecordExists(connection, recordset, LookUpStatement(number)) ||
            !ExecuteSql(connection, InsertStatement(name, number))) {
            CloseQuietly(connection);
            return false;
        }
        BookChanged = true;
        break;
    }

    std::vector<TGridRow> rows;
    bool listed = ReadList(connection, recordset, rows);
    CloseQuietly(connection);
    if (!listed) return false;
    FillGrid(rows);
    return true;
}

bool CreateBook() {
    if (!CreateDatabaseFile(BookPath())) return false;
    TVariant connection;
    if (!CreateServer("ADODB.Connection", connection)) return false;
    if (!OpenBookConnection(connection, BookPath())) return false;
    bool created = true;
    for (const std::string& statement : SchemaStatements()) {
        if (!ExecuteSql(connection, statement)) {
            created = false;
            break;
        }
    }
    CloseQuietly(connection);
    // A book without its tables would only be put aside at the next start.
    if (!created) RemoveBookFile(bfsRemoveBadCopy, BookPath());
    return created;
}
