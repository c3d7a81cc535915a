#pragma once

#include "fax_line.h"
#include "job_store.h"

#include <functional>
#include <string>

// Answers the protocol's requests, one JSON object per line:
//   {"op":"connect","server":NAME}  -> {"ok":true,"service":"pelmor-faxd","protocol":1,"line":…,"simulated":…}
//   {"op":"submit","recipients":[NUMBER,…],"body":PATH} -> {"ok":true,"jobs":[ID,…]}
//   {"op":"jobs"} -> {"ok":true,"jobs":[{"id","number","state","pages","error",…},…]}
// A refusal is {"ok":false,"error":TEXT}.
class TRequestHandler {
public:
    // hostName: the name `connect` accepts (compared without regard to case;
    // an empty name also means this host). onAccepted runs after a submission.
    TRequestHandler(TJobStore& store, const TFaxLine& line, std::string hostName, std::function<void()> onAccepted);

    std::string Handle(const std::string& request);

private:
    std::string Connect(const std::string& server) const;
    std::string Submit(const std::vector<std::string>& numbers, const std::string& body);
    std::string Jobs() const;

    TJobStore& Store;
    const TFaxLine& Line;
    std::string HostName;
    std::function<void()> OnAccepted;
};

// This machine's host name; empty when it cannot be read.
std::string LocalHostName();

// Builds a refusal line.
std::string Refusal(const std::string& error);
