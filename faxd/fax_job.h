#pragma once

#include "body_type.h"

#include "faxproto/fax_messages.h"

#include <string>

// Where a job stands. Every state but jsDone, jsFailed and jsCancelled is
// kept in the job's record in spool/ and resumed after a restart.
enum TJobState {
    jsQueued,    // accepted; the body waits in spool/ to be rendered
    jsRendered,  // spool/<id>.tif holds the fax
    jsHanding,   // the line's Send has begun (no remote id known yet)
    jsHanded,    // the line has the job under RemoteId; it is polled
    jsSent,      // the line reported it done; filing to SentItems/ is due
    jsFailing,   // it failed; moving the body to Failed/ is due
    jsCancelling, // the user cancelled it; stopping it on the line and filing are due
    jsDone,      // filed in SentItems/ and logged
    jsFailed,    // filed in Failed/ and logged
    jsCancelled  // its body filed in Failed/, nothing sent, logged
};

struct TFaxJob {
    std::string Id;
    std::string Number;
    std::string Name;       // the destination's name, as the submitter gave it
    std::string ResendOf;   // the job this one sends again, if any
    TBodyType BodyType = btUnknown;
    TJobState State = jsQueued;
    std::string Submitted;  // local time, ISO 8601
    std::string Finished;   // local time, ISO 8601, once done or failed
    std::string Line;       // the line's name once handed over
    bool Simulated = false;
    std::string RemoteId;   // the line's own id of the job (HylaFAX's job number)
    std::string StationId;  // the far end's station id, as its fax machine announced it
    std::string Status;     // the line's last status text
    std::string Error;      // why it failed
    int Pages = 0;
    int BitRate = 0;
    std::string Media;      // what the line carried the fax as ("T.38", "G.711"), when it says
    double LineSeconds = 0;
    double WallSeconds = 0;
    double RenderSeconds = 0;
    bool Rendering = false; // shown only: the renderer is at work
};

// The job's record as one JSON object (the spool record and jobs.log share it).
std::string EncodeJob(const TFaxJob& job);
// False when the text is not a job record.
bool DecodeJob(const std::string& text, TFaxJob& job);

// The state names of the protocol's job list: "queued", "rendering",
// "sending", "done", "failed", "cancelled".
std::string PublicStateName(const TFaxJob& job);
// The job as the protocol shows it.
TJobInfo PublicJobInfo(const TFaxJob& job);

// Names of the record's states, and back (false for an unknown name).
const char* JobStateName(TJobState state);
bool JobStateFromName(const std::string& name, TJobState& state);

// Whether the job has ended (done, failed or cancelled) and been filed.
bool IsFinalState(TJobState state);
// The state a job filed from this state ends in (jsSent: jsDone, jsFailing:
// jsFailed, jsCancelling: jsCancelled).
TJobState EndState(TJobState state);

// The file name extension of a body of that type, without the dot.
const char* BodyExtension(TBodyType type);

// The local time now, ISO 8601 to the second.
std::string LocalTimeNow();
