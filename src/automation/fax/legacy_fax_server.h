#pragma once

#include "automation/automation_object.h"
#include "automation/fax/fax_connection.h"

#include <memory>

// "FaxServer.FaxServer", the older object model: Connect(serverName),
// CreateDocument(name) giving a document with FaxNumber and FileName and
// Send(), Disconnect(). Documents send through their server's connection, so
// a document whose server was disconnected cannot send.
class TFaxLegacyServer : public TAutomationObject {
public:
    TFaxLegacyServer();
    std::string_view ClassName() const override { return "FaxServer"; }
    const TMemberTable& Members() const override;

private:
    TVariant Connect(const TArgs& args);
    TVariant CreateDocument(const TArgs& args);
    TVariant Disconnect(const TArgs& args);

    std::shared_ptr<TFaxConnection> Link;
};

class TFaxLegacyDocument : public TAutomationObject {
public:
    explicit TFaxLegacyDocument(std::shared_ptr<TFaxConnection> link) : Link(std::move(link)) {}
    std::string_view ClassName() const override { return "FaxDoc"; }
    const TMemberTable& Members() const override;

private:
    TVariant GetFaxNumber(const TArgs& args);
    TVariant PutFaxNumber(const TArgs& args);
    TVariant GetFileName(const TArgs& args);
    TVariant PutFileName(const TArgs& args);
    TVariant Send(const TArgs& args);

    std::shared_ptr<TFaxConnection> Link;
    std::string FaxNumber;
    std::string FileName;
};
