#pragma once

#include "automation/automation_object.h"
#include "automation/fax/fax_connection.h"

#include <memory>
#include <string>
#include <vector>

// "FAXCOMEX.FaxDocument": one fax to send. Recipients is a collection whose
// Add(number [, name]) adds a recipient; Body is the path of the file to send;
// ConnectedSubmit(server) hands the document to the service through a
// connected "FAXCOMEX.FaxServer" and returns the job identifiers as a
// collection (Count, Item(index) from 0).
class TFaxComDocument : public TAutomationObject {
public:
    TFaxComDocument();
    std::string_view ClassName() const override { return "FaxDocument"; }
    const TMemberTable& Members() const override;

private:
    TVariant GetRecipients(const TArgs& args);
    TVariant GetBody(const TArgs& args);
    TVariant PutBody(const TArgs& args);
    TVariant ConnectedSubmit(const TArgs& args);

    // Shared with the Recipients collection, which may outlive the document.
    std::shared_ptr<std::vector<TFaxRecipient>> Recipients;
    std::string Body;
};
