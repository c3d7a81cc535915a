#pragma once

#include "automation/automation_object.h"

// "Scripting.FileSystemObject": file and folder access over the local file
// system. Paths are UTF-8 byte strings, used as they are.
class TFileSystemObject : public TAutomationObject {
public:
    std::string_view ClassName() const override { return "FileSystemObject"; }
    const TMemberTable& Members() const override;

private:
    TVariant FileExists(const TArgs& args);
    TVariant FolderExists(const TArgs& args);
    TVariant GetFile(const TArgs& args);
    TVariant GetFolder(const TArgs& args);
    // OpenTextFile(path[, iomode = 1 reading | 2 writing[, create = false[, format]]])
    TVariant OpenTextFile(const TArgs& args);
    // CreateTextFile(path[, overwrite = false[, unicode = false]])
    TVariant CreateTextFile(const TArgs& args);
    TVariant CreateFolder(const TArgs& args);
    // CopyFile(source, destination[, overwrite = true]); a destination ending
    // in "/" is a folder that receives the file under its own name.
    TVariant CopyFile(const TArgs& args);
};
