#pragma once

#include "automation/automation_object.h"
#include "automation/scripting/replacing_file.h"

#include <memory>
#include <string>

// A TextStream of the file system object. Text is bytes: nothing is converted
// on the way in or out.
//
// A reading stream holds the file open from OpenTextFile until Close.
// A writing stream replaces its file whole: what is written goes to a
// temporary file beside the target, and Close puts it in the target's place.
// A writing stream that is released without Close leaves the target as it was.
class TTextStream : public TAutomationObject {
public:
    // Raises TAutomationError when the file cannot be opened.
    static TVariant OpenForReading(const std::string& path);
    static TVariant CreateForWriting(const std::string& path, bool overwrite);

    explicit TTextStream(std::string path);
    ~TTextStream() override;

    std::string_view ClassName() const override { return "TextStream"; }
    const TMemberTable& Members() const override;

private:
    TVariant ReadAll(const TArgs& args);
    TVariant Write(const TArgs& args);
    TVariant Close(const TArgs& args);

    [[noreturn]] void RaiseBadMode() const;

    std::string Path;
    int ReadHandle = -1;
    std::unique_ptr<TReplacingFile> Writer;
    // Why a writing stream can no longer be closed successfully (a write that
    // failed); empty while it is sound.
    std::string Broken;
};
