#include "book/book_files.h"
#include "book/book_statements.h"
#include "book/book_steps.h"
#include "book/destination_book.h"
#include "platform/busy_cursor.h"

#include "automation/automation_error.h"

namespace {

bool WriteCompactedCopy(const std::string& path, const std::string& tempPath) {
    if (!BookFileStepSeam(bfsCompact, tempPath)) return false;
    TVariant engine;
    if (!CreateServer("JRO.JetEngine", engine)) return false;
    try {
        engine.Call("CompactDatabase", {JetConnectionString(path), JetConnectionString(tempPath)});
        return true;
    } catch (const TAutomationError&) {
        return false;
    }
}

// The copy is good when it opens as a book and lists.
bool CopyIsGood(const std::string& tempPath) {
    if (!BookFileStepSeam(bfsVerifyCopy, tempPath)) return false;
    TVariant connection;
    TVariant recordset;
    if (!CreateServer("ADODB.Connection", connection) || !CreateServer("ADODB.Recordset", recordset)) return false;
    if (!OpenBookConnection(connection, tempPath)) return false;
    bool lists = OpenRecordset(connection, recordset, ListStatement());
    if (lists) CloseQuietly(recordset);
    CloseQuietly(connection);
    return lists;
}

} // namespace

// The book at path stays whole through every step: the copy is written beside
// it, verified, and then takes its place in one rename. Should the process die
// at any point, path holds either the old or the compacted book; a copy left
// at tempPath goes at the next compaction.
bool CompactBook(const std::string& path, const std::string& tempPath) {
    if (!BookFileExists(path)) return false;
    if (BookFileExists(tempPath) && !RemoveBookFile(bfsRemoveStaleCopy, tempPath)) return false;
    TBusyCursor busy;
    if (!WriteCompactedCopy(path, tempPath)) {
        if (BookFileExists(tempPath)) RemoveBookFile(bfsRemoveBadCopy, tempPath);
        return false;
    }
    bool good = BookFileExists(path) && BookFileExists(tempPath) && CopyIsGood(tempPath);
    if (good && ReplaceBookFile(tempPath, path)) return true;
    RemoveBookFile(bfsRemoveBadCopy, tempPath);
    return false;
}
