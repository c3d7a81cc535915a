#include "send/office_text.h"

#include "automation/automation_error.h"
#include "automation/server_registry.h"

namespace {

// Opens source with the application's collection, saves it as text and
// closes it. Save and close failures are ignored: the caller finds out from
// the destination file whether any text was written.
bool SaveAsText(const char* progId, const char* collection, const TArgs& openArgs, const std::string& destination,
                int32_t format, const TArgs& closeArgs) {
    TVariant app;
    try {
        app = CreateObject(progId);
    } catch (const TAutomationError&) {
        return false;
    }
    TVariant document;
    try {
        document = app.Get(collection).Call("Open", openArgs);
    } catch (const TAutomationError&) {
        app.Clear();
        return false;
    }
    try {
        document.Call("SaveAs", {destination, format});
    } catch (const TAutomationError&) {
    }
    try {
        document.Call("Close", closeArgs);
    } catch (const TAutomationError&) {
    }
    app.Call("Quit");
    app.Clear();
    document.Clear();
    return true;
}

} // namespace

bool WordToText(const std::string& source, const std::string& destination) {
    const int32_t wdFormatText = 2;
    return SaveAsText("Word.Application", "Documents", {source}, destination, wdFormatText, {});
}

bool ExcelToText(const std::string& source, const std::string& destination) {
    const int32_t xlTextPrinter = 36;
    const int32_t updateLinks = 1;
    return SaveAsText("Excel.Application", "WorkBooks", {source, updateLinks}, destination, xlTextPrinter, {false});
}
