#pragma once

#include "automation/automation_object.h"

#include <cstdint>
#include <string>

// The File object of the file system object: a path whose properties are read
// afresh at every access.
class TFsoFile : public TAutomationObject {
public:
    explicit TFsoFile(std::string path) : Path(std::move(path)) {}
    std::string_view ClassName() const override { return "File"; }
    const TMemberTable& Members() const override;

private:
    TVariant GetSize(const TArgs& args);
    TVariant GetPath(const TArgs& args);

    std::string Path;
};

// The Folder object: Size is the total of the bytes of every file below the
// folder, subfolders included, read afresh at every access. Symbolic links are
// not followed and count nothing.
class TFsoFolder : public TAutomationObject {
public:
    explicit TFsoFolder(std::string path) : Path(std::move(path)) {}
    std::string_view ClassName() const override { return "Folder"; }
    const TMemberTable& Members() const override;

private:
    TVariant GetSize(const TArgs& args);
    TVariant GetPath(const TArgs& args);

    std::string Path;
};

// The total bytes of the files below a folder; raises TAutomationError when
// the folder or one of its subfolders cannot be read. Entries that disappear
// while the folder is walked are left out.
uint64_t FolderBytes(const std::string& path);
