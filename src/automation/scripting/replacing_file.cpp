#include "automation/scripting/replacing_file.h"

#include "automation/scripting/fso_errors.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

TReplacingFile::TReplacingFile(const std::string& target, bool overwrite) : Target(target), Overwrite(overwrite) {
    if (target.empty()) RaiseFileError("Bad file name or number", target);
    std::string destination = ResolveLinkTarget(target);
    struct stat existing {};
    bool exists = ::stat(destination.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) RaiseFileError("Permission denied", Target);
    if (exists && !overwrite) RaiseFileError("File already exists", Target);
    // A file its owner has made read-only is not replaced behind its back,
    // although the folder would allow the rename.
    if (exists && ::access(destination.c_str(), W_OK) != 0) RaiseFileError(errno, Target);
    if (!File.Open(target)) RaiseFileError(errno, Target);
}

TReplacingFile::~TReplacingFile() { Discard(); }

void TReplacingFile::Discard() { File.Discard(); }

void TReplacingFile::Fail(int errorNumber) {
    Discard();
    RaiseFileError(errorNumber, Target);
}

void TReplacingFile::SetMode(mode_t mode) { File.SetMode(mode); }

void TReplacingFile::Write(std::string_view bytes) {
    if (!File.IsOpen()) RaiseFileError("Bad file mode", Target);
    if (!File.Write(bytes)) Fail(errno);
}

void TReplacingFile::Commit() {
    if (!File.IsOpen()) RaiseFileError("Bad file mode", Target);
    // Once the content has landed, a folder that cannot be flushed is no failure.
    if (!File.Commit(Overwrite) && !File.HasLanded()) Fail(errno);
}
