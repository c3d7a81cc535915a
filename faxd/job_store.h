#pragma once

#include "fax_job.h"

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

// Who a job is for and where it came from, besides its number.
struct TJobOrigin {
    std::string Name;      // the destination's name, shown in reports and notifications
    std::string ResendOf;  // the job it sends again
};

// The service's data folder: the spool of jobs in progress (spool/<id>.job
// the record, <id>.body the submitted file, <id>.tif the rendered fax),
// SentItems/, Received/, Failed/ (the bodies of failed and cancelled jobs),
// Reports/ (one transmission report per finished job) and jobs.log (one JSON
// line per finished job). Every change of a job's state reaches the disk before it counts, so
// that a service killed at any moment resumes each job where it stood and
// files each one exactly once.
//
// Thread use: the table of jobs is guarded inside; file operations on one
// job are made by the one thread that owns the job at that moment (the
// request thread while accepting, the job thread afterwards).
class TJobStore {
public:
    explicit TJobStore(std::string dataDir);
    ~TJobStore();
    TJobStore(const TJobStore&) = delete;
    TJobStore& operator=(const TJobStore&) = delete;

    // Creates the folders, takes the folder's lock (one service per data
    // folder), clears what a crash left half-made and loads the jobs.
    bool Open(std::string& error);

    // Copies the body from an open file into the spool, checks that it is of
    // a type the service renders, and makes one durable job per number.
    // nameHint is the name the file had. An office document while LibreOffice
    // is missing is refused, and shown as one failed job per number with the
    // body kept in Failed/; a CSV file then goes as text.
    bool Accept(int bodyFd, const std::string& nameHint, const std::vector<std::string>& numbers,
                std::vector<std::string>& ids, std::string& error, const TJobOrigin& origin = {});

    // Tells whether LibreOffice is there to print office documents (asked at
    // each submission); by default, whether soffice is on PATH.
    void SetOfficeCheck(std::function<bool()> check) { OfficeCheck = std::move(check); }
    // Submits the body of a failed or cancelled job again, to the same
    // number and name, as a new job.
    bool Resend(const std::string& id, std::string& newId, std::string& error);

    // Called with a job's new state each time the table changes (accepted,
    // a step saved or shown, filed), on the thread that changed it. Set it
    // before jobs move.
    void SetChangeListener(std::function<void(const TFaxJob&)> listener) { OnChange = std::move(listener); }

    // Limits on what waits in the spool: a submission that would pass either
    // is refused with a clear error.
    void SetLimits(size_t maxActiveJobs, long long maxSpoolBytes)
    {
        MaxActiveJobs = maxActiveJobs;
        MaxSpoolBytes = maxSpoolBytes;
    }

    // Stores an in-progress job's record durably and in the table.
    bool Save(const TFaxJob& job);
    // Changes only the table (what the job list shows).
    void Show(const TFaxJob& job);

    // The finishing steps: move the fax to SentItems/ (or the body to
    // Failed/), log, drop the record. Safe to repeat after a crash.
    bool FileSent(TFaxJob& job, std::string& error);
    bool FileFailed(TFaxJob& job, std::string& error);
    bool FileCancelled(TFaxJob& job, std::string& error);

    // A job of the table by id; false when it is neither active nor among
    // the finished jobs shown.
    bool FindJob(const std::string& id, TFaxJob& job) const;

    // The unfinished jobs in id order, and every job to show (recent
    // finished ones first, then those in progress).
    std::vector<TFaxJob> ActiveJobs() const;
    std::vector<TFaxJob> ListJobs() const;

    const std::string& DataDir() const { return Root; }
    std::string SpoolDir() const { return Root + "/spool"; }
    std::string SentItemsDir() const { return Root + "/SentItems"; }
    std::string ReceivedDir() const { return Root + "/Received"; }
    std::string FailedDir() const { return Root + "/Failed"; }
    std::string ReportsDir() const { return Root + "/Reports"; }
    std::string ReportPath(const std::string& id) const { return ReportsDir() + "/" + id + ".pdf"; }
    // Where a finished job's body is kept (failed and cancelled jobs).
    std::string FailedBodyPath(const TFaxJob& job) const;
    std::string LogPath() const { return Root + "/jobs.log"; }
    std::string RecordPath(const std::string& id) const { return SpoolDir() + "/" + id + ".job"; }
    std::string BodyPath(const std::string& id) const { return SpoolDir() + "/" + id + ".body"; }
    std::string FaxPath(const std::string& id) const { return SpoolDir() + "/" + id + ".tif"; }
    std::string PartPath(const std::string& id) const { return SpoolDir() + "/" + id + ".part"; }
    // The last job id given out, kept so that no id is ever given twice.
    std::string CounterPath() const { return Root + "/last-id"; }

    // Bodies larger than this are refused at submission.
    static constexpr long long MaxBodyBytes = 512LL << 20;
    // How many finished jobs the list keeps.
    static constexpr size_t ShownFinished = 200;

private:
    void Refuse(std::vector<TFaxJob>& jobs);
    bool LoadLog();
    bool LoadSpool();
    bool Log(TFaxJob& job, std::string& error);
    void Finish(const TFaxJob& job);
    bool FileUnsent(TFaxJob& job, TJobState finalState, std::string& error);
    void Changed(const TFaxJob& job) const;
    void NoteId(const std::string& name);
    bool ClaimId(const std::string& incoming, std::string& id);
    bool HasRoomFor(int bodyFd, size_t jobs, std::string& error) const;
    long long LastIdIssued() const;
    bool SetAsideUnreadable(const std::string& id);
    bool FileAway(const std::string& from, const std::string& folder, const std::string& id,
                  const std::string& extension);

    std::string Root;
    int LockFd = -1;
    mutable std::mutex Guard;
    std::map<long long, TFaxJob> Active;
    std::deque<TFaxJob> Finished;
    std::set<std::string> Logged;
    long long LastId = 0;
    std::function<bool()> OfficeCheck;
    std::function<void(const TFaxJob&)> OnChange;
    size_t MaxActiveJobs = 1000;
    long long MaxSpoolBytes = 4LL << 30;
};

// The reason an office document is refused without LibreOffice.
constexpr const char* NoOfficeError = "office documents need LibreOffice";
