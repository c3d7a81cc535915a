#pragma once

#include "platform/seam.h"

#include <string>

// The file steps of the book: what creation and compaction do to the files
// themselves. Every step passes BookFileStepSeam first, so that a test can
// make the step fail (return false) or stop the process right there (throw).
enum TBookFileStep {
    bfsRemoveStaleCopy,  // compaction: an old copy at the temporary path goes
    bfsCompact,          // compaction: the compacted copy is written
    bfsVerifyCopy,       // compaction: the copy is opened
    bfsReplaceBook,      // compaction: the copy takes the book's place
    bfsRemoveBadCopy,    // compaction: a copy that failed verification goes
    bfsPreserve,         // creation: a file at the book's path is put aside
};
extern TSeam<bool(TBookFileStep step, const std::string& path)> BookFileStepSeam;

// True when anything (a file, a folder, a dangling link) is at path.
bool BookFileExists(const std::string& path);

// True when the file starts with the header of a Jet or Access database.
bool IsJetFormatFile(const std::string& path);

// Puts a file at path aside under a new name beside it instead of deleting
// it: a Jet or Access database as path + ".mdb", anything else as
// path + ".unreadable-<yymmddhhnn>" (local time); a name already taken gets
// "-2", "-3", … before the extension. True when nothing is at path any more.
bool PreserveUnreadableFile(const std::string& path);

// The same for the book at BookPath(). Run before CreateBook, which does it
// too; true when CreateBook may go ahead.
bool PreserveUnreadableBook();

// Removes a file; true when nothing is at path afterwards.
bool RemoveBookFile(TBookFileStep step, const std::string& path);

// Puts the file at from in place of the file at to in one step, so that at
// every moment one of the two complete files is at to, and makes the change
// durable.
bool ReplaceBookFile(const std::string& from, const std::string& to);
