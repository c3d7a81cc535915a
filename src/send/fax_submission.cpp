#include "send/fax_submission.h"

#include "automation/automation_error.h"
#include "automation/server_registry.h"
#include "platform/system_info.h"

namespace {

constexpr size_t ComputerNameBufferSize = 128;

// Windows 2000's fax service: the server creates the document.
void SubmitLegacy(TVariant& server, TVariant& doc, const std::string& serverName, const std::string& faxNumber,
                  const std::string& filePath) {
    server = CreateObject("FaxServer.FaxServer");
    server.Call("Connect", {serverName});
    doc = server.Call("CreateDocument", {"FaxDocument"});
    doc.Put("FaxNumber", faxNumber);
    doc.Put("FileName", filePath);
    doc.Call("Send");
    server.Call("Disconnect");
}

// The extended fax objects: the document is created on its own and submitted
// through the connected server.
void SubmitExtended(TVariant& server, TVariant& doc, const std::string& serverName, const std::string& faxNumber,
                    const std::string& filePath, const std::string& recipientName) {
    server = CreateObject("FAXCOMEX.FaxServer");
    server.Call("Connect", {serverName});
    doc = CreateObject("FAXCOMEX.FaxDocument");
    if (recipientName.empty()) doc.Get("Recipients").Call("Add", {faxNumber});
    else doc.Get("Recipients").Call("Add", {faxNumber, recipientName});
    doc.Put("Body", filePath);
    doc.Call("ConnectedSubmit", {server});
    server.Call("Disconnect");
}

} // namespace

bool SubmitFax(const std::string& faxNumber, const std::string& filePath, const std::string& recipientName) {
    const std::string serverName = GetLocalComputerName();
    const bool legacy = IsWindows2000();
    TVariant server;
    TVariant doc;
    bool ok = true;
    try {
        if (legacy) SubmitLegacy(server, doc, serverName, faxNumber, filePath);
        else SubmitExtended(server, doc, serverName, faxNumber, filePath, recipientName);
    } catch (const TAutomationError&) {
        ok = false;
    }
    doc.Clear();
    server.Clear();
    return ok;
}

std::string GetLocalComputerName() {
    std::string name = ReadComputerName();
    name = name.substr(0, name.find('\0'));
    if (name.size() > ComputerNameBufferSize - 1) name.resize(ComputerNameBufferSize - 1);
    return name;
}

bool IsWindows2000() {
    TOsVersionInfo info;
    return GetOsVersion(info) && info.MajorVersion == 5 && info.MinorVersion == 0;
}
