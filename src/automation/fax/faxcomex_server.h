#pragma once

#include "automation/automation_object.h"
#include "automation/fax/fax_connection.h"

#include <memory>

// "FAXCOMEX.FaxServer": a connection to the fax service. Connect(serverName)
// opens it (starting the service when none answers), Disconnect() closes it.
// A document submits through it with ConnectedSubmit(server).
class TFaxComServer : public TAutomationObject {
public:
    TFaxComServer();
    std::string_view ClassName() const override { return "FaxServer"; }
    const TMemberTable& Members() const override;

    TFaxConnection& Connection() { return *Link; }

private:
    TVariant Connect(const TArgs& args);
    TVariant Disconnect(const TArgs& args);
    TVariant GetServerName(const TArgs& args);

    std::unique_ptr<TFaxConnection> Link;
    std::string ServerName;
};
