#pragma once

#include "automation/automation_object.h"
#include "automation/office/office_converter.h"

#include <memory>

struct TOfficeSession;

// The "Excel.Application" stand-in: WorkBooks.Open(file, updateLinks) gives a
// workbook whose SaveAs(file, 36) writes its sheet as printer text (cells as
// displayed, columns aligned); Close(saveChanges); the application's Quit().
// The sheet is the one LibreOffice opens the workbook on; without a window it
// does not restore the sheet that was active when the workbook was saved, so
// of several sheets this is the first.
// Links to other files are never updated: a sheet shows the values it was
// saved with.
class TExcelApplication : public TAutomationObject {
public:
    explicit TExcelApplication(std::shared_ptr<TOfficeConverter> converter);
    std::string_view ClassName() const override { return "Excel.Application"; }
    const TMemberTable& Members() const override;

private:
    TVariant WorkBooks(const TArgs& args);
    TVariant Quit(const TArgs& args);

    std::shared_ptr<TOfficeSession> Session;
};

// Excel's formatted-text (space delimited) format code.
constexpr int32_t xlTextPrinter = 36;
