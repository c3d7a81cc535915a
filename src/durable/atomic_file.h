#pragma once

#include "durable/unique_fd.h"

#include <string>
#include <string_view>
#include <sys/types.h>

// A file that takes the place of its target whole. The bytes go to a
// temporary file with a unique name in the target's folder; Commit flushes it
// to disk, renames it onto the target and flushes the folder. Until then the
// target is untouched, so a full disk or a crash never leaves it truncated or
// half written. Destroyed (or discarded) without Commit, it removes its
// temporary file. Every failure returns false with errno set and discards the
// temporary file.
class TAtomicFile {
public:
    TAtomicFile() = default;
    ~TAtomicFile() { Discard(); }
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // Creates the temporary file beside target (beside the file a symbolic
    // link at target points to, so that the link stays). It takes the
    // target's permission bits when the target exists, else newMode. With
    // followLink false, a link at target is replaced like any file, never
    // written through.
    bool Open(const std::string& target, mode_t newMode = 0666, bool followLink = true);
    bool Write(std::string_view bytes);
    // Gives the file these permission bits.
    void SetMode(mode_t mode);
    // A file that need not outlast a power cut (one made again on demand)
    // lands without being flushed to disk: still whole, only sooner.
    void SkipFlush() { Flush = false; }
    // With overwrite false, a target that exists by now is refused (EEXIST).
    // False also when the content landed but the folder could not be flushed
    // (HasLanded tells).
    bool Commit(bool overwrite = true);
    bool HasLanded() const { return Landed; }
    void Discard();

    bool IsOpen() const { return Handle.IsOpen(); }
    // Where the content lands: the target, or what its link points to.
    const std::string& Destination() const { return Target; }
    const std::string& TemporaryPath() const { return TempPath; }

private:
    bool Fail();

    std::string Target;
    std::string TempPath;
    TUniqueFd Handle;
    bool Landed = false;
    bool Flush = true;
};

// The file a symbolic link at path points to; path itself otherwise.
std::string ResolveLinkTarget(const std::string& path);
