#pragma once

// A fax line: what carries a rendered fax (a TIFF Class F file) to its
// destination. The service renders each job, hands the TIFF to the line, and
// files the job in SentItems/ only when the line reports it done.
//
// How a line plugs in
// -------------------
// 1. Derive from TFaxLine (below) in faxd/<name>_line.h / .cpp and add the
//    sources to pelmor_faxd_core in faxd/CMakeLists.txt.
// 2. Add one entry { "name", factory } to the table in fax_line_registry.cpp.
//    `pelmor-faxd --line NAME` then selects it; "simulated" is the default.
// 3. Options reach the line as a key=value map (TLineOptions). Every command
//    line option of the form `--NAME-KEY VALUE` (or `--NAME-KEY=VALUE`), where
//    NAME is the selected line's name, becomes the entry KEY=VALUE: for the
//    line "hylafax", `--hylafax-host fax.example --hylafax-port 4559` gives
//    { host: "fax.example", port: "4559" }. The same entries may stand in the
//    service's config file ($XDG_CONFIG_HOME/pelmor-faxd/config, or
//    `--config FILE`), one `NAME-KEY = VALUE` per line, `#` starting a comment;
//    the command line wins over the file. Options for other lines are ignored.
//    The factory checks its keys and values and refuses unknown ones with a
//    short English error (the service prints it and does not start).
//
// How the service drives a line
// -----------------------------
// All calls come from the service's one job thread, one job at a time, so a
// line needs no locking of its own. Calls may block (network, simulation).
//
//   Send(job)  hands the job over. A line that transmits while it is called
//              (the simulated line) returns lsDone or lsFailed. A line that
//              hands the job to someone else (a fax server) returns lsRunning
//              with RemoteId set; the service stores the remote id durably in
//              the job's record before anything else happens, then calls
//              Poll(job) every PollInterval() until lsDone or lsFailed.
//   Poll(job)  job.RemoteId holds what Send returned, also after the service
//              was killed and restarted: a handed-over job is never sent again,
//              only polled.
//   Cancel(job)  the user cancelled a job the line has (job.RemoteId set):
//              stop it there. lsFailed: stopped, nothing (more) goes out;
//              lsDone: too late, the fax went out; lsRunning: the line cannot
//              say now, and the service asks again a while later.
//   Recover(job)  after a restart, for a job whose Send had begun but whose
//              remote id never reached the record (killed in between). A line
//              that can find such a job again (for example by a tag carrying
//              job.Id) returns its status with RemoteId; lsPending means
//              "never handed over", and the service calls Send again.
//
// While Send runs, *job.Abort (when set) turns true when the job is
// cancelled or the service stops; a line that transmits for a while checks it
// and returns lsAborted, which leaves the job as it stood before Send.
//
// Receiving
// ---------
// A line that fetches received faxes from elsewhere (a fax server's queue)
// says so with FetchesReceived and gets FetchReceived(inbox) every
// PollInterval from the service's receive thread: beside the job thread's
// calls, so it touches nothing Send and Poll change. It files each new fax by
// inbox.FileReceivedFax with Source set to its own name of the fax, and asks
// inbox.HasSource first, so that nothing is fetched twice, also after a
// restart. A line on which faxes arrive by themselves (a call coming in)
// files them the same way when they are whole.
//
// A status's Text is shown in the job list while the job runs and, for a
// failure, kept as the job's error ("busy", "no answer", the server's words).

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <string>

class TInbox;

// What one look at a line's received faxes did.
struct TFetchReport {
    int Fetched = 0;   // new faxes filed
    int Skipped = 0;   // faxes the line may not read (not errors)
    std::string Error; // why the look failed, if it did
};

// Options of one line, by key without the line's name ("host", "port").
using TLineOptions = std::map<std::string, std::string>;

// What a line is given of a job.
struct TLineJob {
    std::string Id;        // the service's job id, unique for this data folder
    std::string Number;    // the fax number, ASCII digits only
    std::string TiffPath;  // the rendered fax: TIFF Class F, 1728 wide, 204 x 196 dpi
    int Pages = 0;         // pages in TiffPath
    std::string RemoteId;  // empty until Send returned one
    std::string WorkDir;   // a folder on the data folder's file system for the line's own files
    std::string ReceivedDir; // where a line that can see the far end files what it received
    const std::atomic<bool>* Abort = nullptr; // see above; may be null
};

enum TLineState {
    lsPending,  // not handed over (yet)
    lsRunning,  // handed over, in progress
    lsDone,     // transmitted completely
    lsFailed,   // gave up; Text says why
    lsAborted   // Send stopped early because *job.Abort turned true
};

// What a line reports of a job.
struct TLineStatus {
    TLineState State = lsPending;
    std::string RemoteId;  // the line's own id of the job, when it has one
    std::string Text;      // short status or error text for the job list
    int Pages = 0;         // pages transmitted so far (or in total when done)
    int BitRate = 0;       // bits per second the line ran at, 0 when unknown
    double LineSeconds = 0; // time the call took on the line, 0 when unknown
    std::string StationId; // the far end's station id, when the line learnt it
    std::string Media;     // how the fax travelled ("T.38", "G.711"), empty when the line does not say
};

class TFaxLine {
public:
    virtual ~TFaxLine() = default;

    // The name `--line` selects, shown by `connect` and in the job list.
    virtual std::string Name() const = 0;
    // True when nothing leaves the machine (the job list and log say so).
    virtual bool Simulated() const = 0;

    virtual TLineStatus Send(const TLineJob& job) = 0;
    virtual TLineStatus Poll(const TLineJob& job) { (void)job; return {lsFailed, {}, "line cannot poll", 0, 0, 0, {}, {}}; }
    virtual TLineStatus Recover(const TLineJob& job) { (void)job; return {}; }
    virtual TLineStatus Cancel(const TLineJob& job) { (void)job; return {lsFailed, {}, {}, 0, 0, 0, {}, {}}; }
    virtual std::chrono::milliseconds PollInterval() const { return std::chrono::seconds(5); }

    virtual bool FetchesReceived() const { return false; }
    virtual TFetchReport FetchReceived(TInbox& inbox) { (void)inbox; return {}; }
    // A line that answers calls files what it receives into the inbox, with
    // its own files in workDir; it answers only once this was called.
    virtual void StartReceiving(const std::string& workDir, TInbox& inbox)
    {
        (void)workDir;
        (void)inbox;
    }
};

// Makes the line registered under name with the given options; empty with a
// short English error in error when the name is unknown or an option is wrong.
std::unique_ptr<TFaxLine> MakeFaxLine(const std::string& name, const TLineOptions& options,
                                      std::string& error);

// Whether a line of that name is registered.
bool IsFaxLineName(const std::string& name);

// The registered names, for --help.
std::string FaxLineNames();
