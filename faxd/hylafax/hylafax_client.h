#pragma once

#include "hylafax/hylafax_settings.h"

#include <functional>
#include <string>
#include <vector>

class THylafaxSession;
struct THylafaxReply;

// What a job sent to HylaFAX asks for.
struct THylafaxJobRequest {
    std::string Number;            // dial string, digits only
    std::string DocumentPath;      // local TIFF Class F file, 204 x 196 dpi
    std::string SendTimeUtc;       // "YYYYMMDDHHMM" in UTC; empty: now
    int KillAfterMinutes = 180;    // the server gives up this long after the send time
    int MaxTries = 3;              // calls the server may place before it gives up
};

// How a hand-over or a request ended.
enum THylafaxOutcome {
    hoOk,           // done
    hoUnreachable,  // no usable connection: the server is down or too slow; try again later
    hoRefused,      // the server answered no: trying again will not help
    hoUncertain,    // the submission was sent but its answer never came: ask for the job
};

struct THylafaxSubmitResult {
    THylafaxOutcome Outcome = hoUnreachable;
    std::string JobId;  // set once the server created the job, even when it was not submitted
    std::string Error;
};

// The server's view of one job.
struct THylafaxJobStatus {
    THylafaxOutcome Outcome = hoUnreachable;
    bool Exists = false;      // false: the server knows no such job (removed or never submitted)
    std::string State;        // PENDING, SLEEPING, SUSPENDED, READY, BLOCKED, ACTIVE, DONE, FAILED; may be empty
    std::string Status;       // the server's last status text
    int StatusCode = 0;
    int Pages = 0;            // pages transmitted
    std::string Error;        // why the question could not be asked

    bool Done() const { return State == "DONE"; }
    bool Failed() const { return State == "FAILED"; }
};

// A fax in the server's receive queue (recvq).
struct THylafaxReceivedFax {
    std::string File;        // its name within recvq ("fax00000012.tif")
    bool Receiving = false;  // still coming in
    int Pages = 0;
    std::string Station;     // the sender's station id (TSI)
};

// A client of HylaFAX's own protocol (hfaxd, TCP port 4559).
class THylafaxClient {
public:
    explicit THylafaxClient(THylafaxSettings settings) : Settings(std::move(settings)) {}

    // Uploads the document and submits one job. onCreated is called with the
    // new job's id before the job is submitted, so that the caller can keep it
    // durably; when it returns false the job is not submitted (hoRefused).
    THylafaxSubmitResult Submit(const THylafaxJobRequest& request,
                                const std::function<bool(const std::string& jobId)>& onCreated = {});
    // Asks for a job's state on a connection of its own.
    THylafaxJobStatus Query(const std::string& jobId);
    // Removes a job that has not finished (JKILL): it ends FAILED.
    THylafaxOutcome Kill(const std::string& jobId, std::string& error);

    // The receive queue. hoRefused from RetrieveReceived means the server does
    // not let this user read that fax.
    THylafaxOutcome ListReceived(std::vector<THylafaxReceivedFax>& faxes, std::string& error);
    THylafaxOutcome RetrieveReceived(const std::string& file, std::string& bytes, std::string& error);
    THylafaxOutcome RemoveReceived(const std::string& file, std::string& error);

private:
    // Opens a session; fills outcome and error when it fails.
    static bool OpenSession(THylafaxSession& session, THylafaxOutcome& outcome, std::string& error);
    // A reply that is not the one wanted: refused when the server answered at all.
    static THylafaxOutcome OutcomeOf(const THylafaxReply& reply);

    THylafaxSettings Settings;
};

// One line of the receive queue as ListReceived asks for it ("%f|%z|%p|%s");
// false for a line that is not one.
bool ParseReceivedLine(const std::string& line, THylafaxReceivedFax& fax);

// "DDHHMM" for a number of minutes, as JPARM LASTTIME wants it.
std::string FormatRelativeTime(int minutes);
