#include "hylafax/hylafax_client.h"

#include "hylafax/hylafax_session.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

bool AllDigits(const std::string& s) {
    if (s.empty()) return false;
    for (unsigned char c : s) {
        if (!std::isdigit(c)) return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream out;
    out << in.rdbuf();
    if (in.bad()) return false;
    bytes = out.str();
    return true;
}

int ToInt(const std::string& text) {
    int value = 0;
    for (unsigned char c : text) {
        if (!std::isdigit(c) || value > 100000000) break;
        value = value * 10 + (c - '0');
    }
    return value;
}

// hfaxd's answer to JOB for a job it does not have:
// "500 Cannot set job 6; job does not exist (No such file or directory)."
bool SaysJobIsGone(const THylafaxReply& reply) {
    return reply.Code == 500 && reply.Text().find("does not exist") != std::string::npos;
}

}  // namespace

bool THylafaxClient::OpenSession(THylafaxSession& session, THylafaxOutcome& outcome, std::string& error) {
    bool refused = false;
    if (session.Open(error, refused)) return true;
    outcome = refused ? hoRefused : hoUnreachable;
    return false;
}

THylafaxOutcome THylafaxClient::OutcomeOf(const THylafaxReply& reply) {
    return reply.Received() ? hoRefused : hoUnreachable;
}

std::string FormatRelativeTime(int minutes) {
    if (minutes < 1) minutes = 1;
    int days = minutes / (24 * 60);
    if (days > 99) days = 99, minutes = days * 24 * 60 + 23 * 60 + 59;
    int hours = minutes / 60 % 24;
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d", days, hours, minutes % 60);
    return text;
}

THylafaxSubmitResult THylafaxClient::Submit(const THylafaxJobRequest& request,
                                            const std::function<bool(const std::string&)>& onCreated) {
    THylafaxSubmitResult result;
    result.Outcome = hoRefused;
    if (!AllDigits(request.Number)) {
        result.Error = "the fax number must be digits only";
        return result;
    }
    if (!Settings.Modem.empty() && (!IsQuotableParameter(Settings.Modem) || Settings.Modem.find(' ') != std::string::npos)) {
        result.Error = "invalid HylaFAX modem name";
        return result;
    }
    if (!request.SendTimeUtc.empty() && (request.SendTimeUtc.size() != 12 || !AllDigits(request.SendTimeUtc))) {
        result.Error = "invalid send time";
        return result;
    }
    std::string document;
    if (!ReadWholeFile(request.DocumentPath, document) || document.empty()) {
        result.Error = "cannot read the fax pages " + request.DocumentPath;
        return result;
    }

    THylafaxSession session(Settings);
    if (!OpenSession(session, result.Outcome, result.Error)) return result;

    // Each step: the command and the reply code it must get.
    auto step = [&](const std::string& command, int wanted, THylafaxReply* replyOut = nullptr) {
        THylafaxReply reply = session.Command(command);
        if (replyOut) *replyOut = reply;
        if (reply.Code == wanted) return true;
        result.Outcome = OutcomeOf(reply);
        result.Error = command.substr(0, command.find(' ', 6)) + ": " + reply.Describe();
        return false;
    };
    if (!step("FORM TIFF", 200) || !step("TYPE I", 200)) return result;

    std::string serverFile;
    bool refused = false;
    if (!session.Upload(document, serverFile, result.Error, refused)) {
        result.Outcome = refused ? hoRefused : hoUnreachable;
        return result;
    }
    if (!IsQuotableParameter(serverFile) || serverFile.find(' ') != std::string::npos) {
        result.Outcome = hoRefused;
        result.Error = "unexpected server file name";
        return result;
    }

    THylafaxReply created;
    if (!step("JNEW", 200, &created)) return result;
    result.JobId = ParseNewJobId(created.Text());
    if (result.JobId.empty()) {
        result.Outcome = hoRefused;
        result.Error = "JNEW: no job id in " + created.Describe();
        return result;
    }

    // The send time first: hfaxd reckons the kill time from it.
    if (!request.SendTimeUtc.empty() && !step("JPARM SENDTIME " + request.SendTimeUtc, 213)) return result;
    if (!step("JPARM LASTTIME " + FormatRelativeTime(request.KillAfterMinutes), 213) ||
        !step("JPARM MAXDIALS " + std::to_string(request.MaxTries < 1 ? 1 : request.MaxTries), 213) ||
        !step("JPARM MAXTRIES " + std::to_string(request.MaxTries < 1 ? 1 : request.MaxTries), 213) ||
        !step("JPARM DIALSTRING \"" + request.Number + "\"", 213) ||
        !step("JPARM VRES 196", 213) ||
        !step("JPARM PAGEWIDTH 210", 213) ||
        !step("JPARM PAGELENGTH 297", 213) ||
        !step("JPARM PAGECHOP \"none\"", 213) ||
        !step("JPARM NOTIFY \"none\"", 213)) {
        return result;
    }
    if (!Settings.Modem.empty() && !step("JPARM MODEM \"" + Settings.Modem + "\"", 213)) return result;
    if (!step("JPARM DOCUMENT " + serverFile, 200)) return result;

    if (onCreated && !onCreated(result.JobId)) {
        result.Outcome = hoRefused;
        result.Error = "the job could not be recorded before submission";
        return result;
    }
    THylafaxReply submitted = session.Command("JSUBM");
    if (submitted.Code == 200) {
        result.Outcome = hoOk;
        result.Error.clear();
    } else if (!submitted.Received()) {
        result.Outcome = hoUncertain;
        result.Error = "no answer to JSUBM for job " + result.JobId;
    } else {
        result.Outcome = hoRefused;
        result.Error = "job " + result.JobId + " refused: " + submitted.Describe();
    }
    return result;
}

THylafaxJobStatus THylafaxClient::Query(const std::string& jobId) {
    THylafaxJobStatus status;
    if (!AllDigits(jobId)) {
        status.Outcome = hoRefused;
        status.Error = "invalid job id";
        return status;
    }
    THylafaxSession session(Settings);
    if (!OpenSession(session, status.Outcome, status.Error)) return status;
    THylafaxReply job = session.Command("JOB " + jobId);
    if (!job.Received()) {
        status.Error = "no answer to JOB " + jobId;
        return status;
    }
    if (job.Code != 200) {
        if (SaysJobIsGone(job)) {
            status.Outcome = hoOk;
            status.Exists = false;
            status.Status = job.Text();
        } else {
            // Busy, not logged in, out of resources: the server cannot say now.
            status.Outcome = hoUnreachable;
            status.Error = "JOB " + jobId + ": " + job.Describe();
        }
        return status;
    }
    status.Exists = true;
    auto parameter = [&](const char* name, std::string& value) {
        THylafaxReply reply = session.Command(std::string("JPARM ") + name);
        if (reply.Code != 213) {
            status.Outcome = OutcomeOf(reply);
            status.Error = std::string("JPARM ") + name + ": " + reply.Describe();
            return false;
        }
        value = reply.Text();
        while (!value.empty() && value.back() == ' ') value.pop_back();
        return true;
    };
    std::string code, pages;
    if (!parameter("STATE", status.State) || !parameter("STATUS", status.Status) ||
        !parameter("STATUSCODE", code) || !parameter("NPAGES", pages)) {
        return status;
    }
    status.StatusCode = ToInt(code);
    status.Pages = ToInt(pages);
    status.Outcome = hoOk;
    return status;
}

THylafaxOutcome THylafaxClient::Kill(const std::string& jobId, std::string& error) {
    if (!AllDigits(jobId)) {
        error = "invalid job id";
        return hoRefused;
    }
    THylafaxSession session(Settings);
    THylafaxOutcome outcome = hoUnreachable;
    if (!OpenSession(session, outcome, error)) return outcome;
    // JKILL acts on the current job: never send it unless JOB took.
    THylafaxReply job = session.Command("JOB " + jobId);
    if (job.Code != 200) {
        error = "JOB " + jobId + ": " + job.Describe();
        return SaysJobIsGone(job) ? hoRefused : hoUnreachable;
    }
    THylafaxReply killed = session.Command("JKILL");
    if (killed.Code != 200) {
        error = "JKILL " + jobId + ": " + killed.Describe();
        return OutcomeOf(killed);
    }
    return hoOk;
}
