#pragma once

#include "automation/automation_object.h"
#include "automation/server_registry.h"

#include <memory>
#include <string>
#include <vector>

// Stands in for the fax service's client objects ("FAXCOMEX.FaxServer" and
// "FAXCOMEX.FaxDocument") while it lives: records every call and every job,
// and fails the call named in FailAt.
class TRecordingFaxService {
public:
    struct TJob {
        std::string Number;
        std::string Body;
        std::string BodyContent;  // the body file's bytes at the moment of submission
    };

    TRecordingFaxService();

    std::vector<std::string> Calls;  // "Connect(name)", "Add(number)", "Body=path", "ConnectedSubmit", "Disconnect"
    std::vector<TJob> Jobs;
    std::string FailAt;  // e.g. "Connect", "ConnectedSubmit"

private:
    TScopedServerOverride Server;
    TScopedServerOverride Document;
};
