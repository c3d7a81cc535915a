#pragma once

#include "automation/automation_object.h"
#include "automation/office/office_converter.h"

#include <memory>

struct TOfficeSession;

// The "Word.Application" stand-in: Documents.Open(file) gives a document
// whose SaveAs(file, 2) writes its plain text (UTF-8, one line per paragraph,
// table cells one by one); Close(); the application's Quit().
class TWordApplication : public TAutomationObject {
public:
    explicit TWordApplication(std::shared_ptr<TOfficeConverter> converter);
    std::string_view ClassName() const override { return "Word.Application"; }
    const TMemberTable& Members() const override;

private:
    TVariant Documents(const TArgs& args);
    TVariant Quit(const TArgs& args);

    std::shared_ptr<TOfficeSession> Session;
};

// Word's plain-text format code.
constexpr int32_t wdFormatText = 2;
