#pragma once

#include "durable/atomic_file.h"

#include <string>
#include <string_view>
#include <sys/types.h>

// A file that takes the place of its target whole. The bytes go to a
// temporary file in the target's folder; Commit flushes it to disk and renames
// it over the target. Until then the target is untouched, so a full disk or a
// crash never leaves it truncated or half written. A replacing file that is
// destroyed (or discarded) without Commit removes its temporary file.
//
// Every failure raises TAutomationError and discards the temporary file.
class TReplacingFile {
public:
    // With overwrite false, a target that exists (now or at Commit) is refused.
    TReplacingFile(const std::string& target, bool overwrite);
    ~TReplacingFile();
    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;

    void Write(std::string_view bytes);
    // Gives the file these permission bits instead of the target's.
    void SetMode(mode_t mode);
    void Commit();
    void Discard();

    bool IsOpen() const { return File.IsOpen(); }
    const std::string& TemporaryPath() const { return File.TemporaryPath(); }

private:
    [[noreturn]] void Fail(int errorNumber);

    std::string Target;
    TAtomicFile File;
    bool Overwrite;
};
