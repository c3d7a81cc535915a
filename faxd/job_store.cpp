#include "job_store.h"

#include "durable/durable_file.h"
#include "durable/unique_fd.h"
#include "kill_point.h"

#include "automation/office/office_program.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A job id as a number; 0 for anything that is not one (or does not fit 64 bits).
long long IdNumber(const std::string& id)
{
    long long number = 0;
    auto [end, failure] = std::from_chars(id.data(), id.data() + id.size(), number);
    if (id.empty() || failure != std::errc() || end != id.data() + id.size() || number < 0)
        return 0;
    return number;
}

// The id a file in the data folders belongs to: the digits its name starts with.
std::string IdOfName(const std::string& name)
{
    size_t digits = name.find_first_not_of("0123456789");
    return name.substr(0, digits == std::string::npos ? name.size() : digits);
}

bool CopyToFile(int from, const std::string& path, std::string& error)
{
    TUniqueFd to(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!to) {
        error = "cannot write to the spool";
        return false;
    }
    char buffer[1 << 16];
    long long total = 0;
    bool ok = true;
    for (;;) {
        ssize_t got = read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = "cannot read the file";
            ok = false;
            break;
        }
        if (got == 0)
            break;
        total += got;
        if (total > TJobStore::MaxBodyBytes) {
            error = "file too large";
            ok = false;
            break;
        }
        if (!WriteAll(to.Get(), std::string_view(buffer, static_cast<size_t>(got)))) {
            error = "cannot write to the spool";
            ok = false;
            break;
        }
    }
    if (ok && fsync(to.Get()) != 0) {
        error = "cannot write to the spool";
        ok = false;
    }
    if (!to.Close() && ok) {
        error = "cannot write to the spool";
        ok = false;
    }
    if (!ok)
        unlink(path.c_str());
    return ok;
}

} // namespace

TJobStore::TJobStore(std::string dataDir) : Root(std::move(dataDir)) {}

TJobStore::~TJobStore()
{
    if (LockFd >= 0)
        close(LockFd);
}

bool TJobStore::Open(std::string& error)
{
    for (const std::string& folder : {Root, SpoolDir(), SentItemsDir(), ReceivedDir(), FailedDir(), ReportsDir()})
        if (!MakeFolder(folder)) {
            error = "cannot create " + folder;
            return false;
        }
    LockFd = open((SpoolDir() + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (LockFd < 0 || flock(LockFd, LOCK_EX | LOCK_NB) != 0) {
        error = "another pelmor-faxd is using " + Root;
        return false;
    }
    if (!LoadLog() || !LoadSpool()) {
        error = "cannot read the jobs in " + Root;
        return false;
    }
    std::ifstream counter(CounterPath());
    std::string issued;
    if (counter >> issued)
        NoteId(issued);
    return true;
}

void TJobStore::NoteId(const std::string& name)
{
    long long id = IdNumber(IdOfName(name));
    if (id > LastId)
        LastId = id;
}

bool TJobStore::LoadLog()
{
    std::string path = LogPath();
    if (!fs::exists(path)) {
        if (!AppendDurably(path, "") || !SyncFile(Root))
            return false;
        return true;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    bool endsWithNewline = true;
    while (std::getline(in, line)) {
        endsWithNewline = !in.eof();
        TFaxJob job;
        if (!DecodeJob(line, job))
            continue; // a line cut short by a crash, or written by hand
        Logged.insert(job.Id);
        NoteId(job.Id);
        Finished.push_back(std::move(job));
        if (Finished.size() > ShownFinished)
            Finished.pop_front();
    }
    // A crash in the middle of a line: the next line must start afresh.
    if (!endsWithNewline)
        return AppendDurably(path, "\n");
    return true;
}

bool TJobStore::LoadSpool()
{
    std::error_code ec;
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(SpoolDir(), ec))
        files.push_back(entry.path());
    if (ec)
        return false;
    // Every id in use, also of a record that cannot be read, is never given again.
    for (const fs::path& file : files)
        NoteId(file.filename().string());
    std::vector<std::string> unreadable;
    for (const fs::path& file : files) {
        if (file.extension() != ".job")
            continue;
        std::ifstream in(file, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        TFaxJob job;
        if (!DecodeJob(text, job) || IdNumber(job.Id) == 0 || file.stem() != job.Id) {
            if (IdNumber(file.stem().string()) != 0)
                unreadable.push_back(file.stem().string());
            continue;
        }
        if (IsFinalState(job.State))
            continue;
        Active[IdNumber(job.Id)] = std::move(job);
    }
    for (const std::string& id : unreadable)
        if (!SetAsideUnreadable(id))
            return false;
    // A file of no job was never acknowledged (a body copied when the
    // service died before answering); temporary files are made again.
    bool removed = false;
    for (const fs::path& file : files) {
        std::string name = file.filename().string();
        if (name == ".lock")
            continue;
        std::string id = IdOfName(name);
        bool temporary = name.ends_with(".tmp") || name.ends_with(".part") || name.ends_with(".rx.tif");
        bool hasRecord = !id.empty() && fs::exists(fs::path(SpoolDir()) / (id + ".job"), ec);
        if (temporary || !hasRecord) {
            fs::remove(file, ec);
            removed = true;
        }
    }
    return !removed || SyncFile(SpoolDir());
}

bool TJobStore::Accept(int bodyFd, const std::string& nameHint, const std::vector<std::string>& numbers,
                       std::vector<std::string>& ids, std::string& error, const TJobOrigin& origin)
{
    ids.clear();
    if (!HasRoomFor(bodyFd, numbers.size(), error))
        return false;
    std::random_device random;
    std::string incoming = SpoolDir() + "/incoming-" + std::to_string(random()) + ".tmp";
    if (!CopyToFile(bodyFd, incoming, error))
        return false;
    TBodyType type = SniffBodyType(incoming, error, nameHint);
    if (type == btUnknown) {
        unlink(incoming.c_str());
        return false;
    }
    bool officeMissing =
        IsOfficeBody(type) && !(OfficeCheck ? OfficeCheck() : !FindOfficeProgram("soffice").empty());
    if (officeMissing && type == btCsv) {
        type = btText;
        officeMissing = false;
    }
    std::vector<TFaxJob> jobs;
    std::vector<std::string> created; // removed again when the jobs cannot all be made
    bool ok = true;
    for (const std::string& number : numbers) {
        TFaxJob job;
        job.Number = number;
        job.Name = origin.Name;
        job.ResendOf = origin.ResendOf;
        job.BodyType = type;
        job.Submitted = LocalTimeNow();
        if (officeMissing) {
            job.State = jsFailing;
            job.Error = NoOfficeError;
        }
        if (!ClaimId(incoming, job.Id)) {
            ok = false;
            break;
        }
        created.push_back(BodyPath(job.Id));
        jobs.push_back(std::move(job));
    }
    ok = ok && WriteFileDurably(CounterPath(), std::to_string(LastIdIssued()) + "\n");
    for (size_t i = 0; ok && i < jobs.size(); ++i) {
        ok = WriteFileDurably(RecordPath(jobs[i].Id), EncodeJob(jobs[i]));
        if (ok)
            created.push_back(RecordPath(jobs[i].Id));
    }
    unlink(incoming.c_str());
    if (!SyncFile(SpoolDir()))
        ok = false;
    if (!ok) {
        for (const std::string& path : created)
            unlink(path.c_str());
        SyncFile(SpoolDir());
        error = "cannot write to the spool";
        return false;
    }
    KillPoint("accepted");
    if (officeMissing) {
        Refuse(jobs);
        error = NoOfficeError;
        return false;
    }
    {
        std::lock_guard lock(Guard);
        for (const TFaxJob& job : jobs) {
            ids.push_back(job.Id);
            Active[IdNumber(job.Id)] = job;
        }
    }
    for (const TFaxJob& job : jobs)
        Changed(job);
    return true;
}

bool TJobStore::ClaimId(const std::string& incoming, std::string& id)
{
    // An id whose body or record is already there (left by hand, or by a
    // record that could not be read) is passed over, never reused.
    for (int tries = 0; tries < 1000; ++tries) {
        {
            std::lock_guard lock(Guard);
            id = std::to_string(++LastId);
        }
        struct stat existing{};
        if (lstat(RecordPath(id).c_str(), &existing) == 0)
            continue;
        if (link(incoming.c_str(), BodyPath(id).c_str()) == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool TJobStore::HasRoomFor(int bodyFd, size_t jobs, std::string& error) const
{
    {
        std::lock_guard lock(Guard);
        if (Active.size() + jobs > MaxActiveJobs) {
            error = "too many jobs waiting (at most " + std::to_string(MaxActiveJobs) + ")";
            return false;
        }
    }
    struct stat body{};
    long long used = fstat(bodyFd, &body) == 0 ? body.st_size : 0;
    // Each file once: the bodies of one submission share their data.
    std::set<ino_t> counted;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(SpoolDir(), ec)) {
        struct stat info{};
        if (lstat(entry.path().c_str(), &info) == 0 && S_ISREG(info.st_mode) && counted.insert(info.st_ino).second)
            used += info.st_size;
    }
    if (used > MaxSpoolBytes) {
        error = "the spool is full (at most " + std::to_string(MaxSpoolBytes >> 20) + " MB waiting)";
        return false;
    }
    return true;
}

long long TJobStore::LastIdIssued() const
{
    std::lock_guard lock(Guard);
    return LastId;
}

bool TJobStore::SetAsideUnreadable(const std::string& id)
{
    TFaxJob job;
    job.Id = id;
    job.State = jsFailed;
    job.Error = "the job record cannot be read";
    std::string error;
    if (!FileAway(RecordPath(id), FailedDir(), id, "job") || !FileAway(BodyPath(id), FailedDir(), id, "body")
        || !RemoveDurably(FaxPath(id)) || !RemoveDurably(PartPath(id)) || !Log(job, error))
        return false;
    std::fprintf(stderr, "pelmor-faxd: job %s: %s; set aside in %s\n", id.c_str(), job.Error.c_str(),
                 FailedDir().c_str());
    Finish(job);
    return true;
}

bool TJobStore::FileAway(const std::string& from, const std::string& folder, const std::string& id,
                         const std::string& extension)
{
    struct stat existing{};
    if (lstat(from.c_str(), &existing) != 0)
        return errno == ENOENT;
    // Never over a file already there: a second fax of the same id gets a
    // name of its own.
    std::string target = folder + "/" + id + "." + extension;
    for (int n = 1; !RenameNoReplace(from, target); ++n) {
        if (errno != EEXIST || n > 1000)
            return false;
        target = folder + "/" + id + "-" + std::to_string(n) + "." + extension;
    }
    return SyncFile(folder) && SyncFolderOf(from);
}

void TJobStore::Refuse(std::vector<TFaxJob>& jobs)
{
    // Filed as failed at once, before the job thread can see them; one that
    // cannot be filed now is left to the job thread, like any failing job.
    for (TFaxJob& job : jobs) {
        std::string ignored;
        if (!FileFailed(job, ignored)) {
            std::lock_guard lock(Guard);
            Active[IdNumber(job.Id)] = job;
        }
    }
}

std::string TJobStore::FailedBodyPath(const TFaxJob& job) const
{
    return FailedDir() + "/" + job.Id + "." + BodyExtension(job.BodyType);
}

bool TJobStore::FindJob(const std::string& id, TFaxJob& job) const
{
    std::lock_guard lock(Guard);
    auto active = Active.find(IdNumber(id));
    if (active != Active.end()) {
        job = active->second;
        return true;
    }
    for (auto shown = Finished.rbegin(); shown != Finished.rend(); ++shown)
        if (shown->Id == id) {
            job = *shown;
            return true;
        }
    return false;
}

bool TJobStore::Resend(const std::string& id, std::string& newId, std::string& error)
{
    TFaxJob old;
    if (!FindJob(id, old)) {
        error = "no such job";
        return false;
    }
    if (old.State != jsFailed && old.State != jsCancelled) {
        error = old.State == jsDone ? "the job was sent" : "the job has not ended";
        return false;
    }
    int fd = open(FailedBodyPath(old).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "the file of the job is gone";
        return false;
    }
    std::vector<std::string> ids;
    bool ok = Accept(fd, FailedBodyPath(old), {old.Number}, ids, error, {old.Name, old.Id});
    close(fd);
    if (ok)
        newId = ids.front();
    return ok;
}

void TJobStore::Changed(const TFaxJob& job) const
{
    if (OnChange)
        OnChange(job);
}

bool TJobStore::Save(const TFaxJob& job)
{
    if (!WriteFileDurably(RecordPath(job.Id), EncodeJob(job)))
        return false;
    Show(job);
    return true;
}

void TJobStore::Show(const TFaxJob& job)
{
    {
        std::lock_guard lock(Guard);
        auto found = Active.find(IdNumber(job.Id));
        if (found == Active.end())
            return;
        found->second = job;
    }
    Changed(job);
}

bool TJobStore::Log(TFaxJob& job, std::string& error)
{
    {
        std::lock_guard lock(Guard);
        if (Logged.count(job.Id))
            return true;
    }
    if (job.Finished.empty())
        job.Finished = LocalTimeNow();
    if (!AppendDurably(LogPath(), EncodeJob(job) + "\n")) {
        error = "cannot write jobs.log";
        return false;
    }
    std::lock_guard lock(Guard);
    Logged.insert(job.Id);
    return true;
}

void TJobStore::Finish(const TFaxJob& job)
{
    RemoveDurably(BodyPath(job.Id));
    RemoveDurably(FaxPath(job.Id));
    RemoveDurably(RecordPath(job.Id));
    {
        std::lock_guard lock(Guard);
        Active.erase(IdNumber(job.Id));
        // Logged before a crash: the log's entry is already in the list.
        std::erase_if(Finished, [&](const TFaxJob& shown) { return shown.Id == job.Id; });
        Finished.push_back(job);
        if (Finished.size() > ShownFinished)
            Finished.pop_front();
    }
    Changed(job);
}

bool TJobStore::FileSent(TFaxJob& job, std::string& error)
{
    std::string target = SentItemsDir() + "/" + job.Id + ".tif";
    std::error_code ec;
    if (fs::exists(FaxPath(job.Id), ec)) {
        // Stamped with the time of filing, so that the newest entry of Sent
        // Items is the fax completed last, also when a line completes jobs
        // in another order than they were rendered.
        utimensat(AT_FDCWD, FaxPath(job.Id).c_str(), nullptr, 0);
        if (!FileAway(FaxPath(job.Id), SentItemsDir(), job.Id, "tif")) {
            error = "cannot move the fax to SentItems";
            return false;
        }
    } else if (!fs::exists(target, ec)) {
        error = "the rendered fax has disappeared";
        return false;
    }
    KillPoint("filed");
    job.State = jsDone;
    if (!Log(job, error))
        return false;
    KillPoint("logged");
    Finish(job);
    return true;
}

bool TJobStore::FileFailed(TFaxJob& job, std::string& error)
{
    return FileUnsent(job, jsFailed, error);
}

bool TJobStore::FileCancelled(TFaxJob& job, std::string& error)
{
    return FileUnsent(job, jsCancelled, error);
}

bool TJobStore::FileUnsent(TFaxJob& job, TJobState finalState, std::string& error)
{
    std::error_code ec;
    if (fs::exists(BodyPath(job.Id), ec)) {
        if (!FileAway(BodyPath(job.Id), FailedDir(), job.Id, BodyExtension(job.BodyType))) {
            error = "cannot move the file to Failed";
            return false;
        }
    }
    job.State = finalState;
    if (!Log(job, error))
        return false;
    Finish(job);
    return true;
}

std::vector<TFaxJob> TJobStore::ActiveJobs() const
{
    std::lock_guard lock(Guard);
    std::vector<TFaxJob> jobs;
    for (const auto& [number, job] : Active)
        jobs.push_back(job);
    return jobs;
}

std::vector<TFaxJob> TJobStore::ListJobs() const
{
    std::lock_guard lock(Guard);
    std::vector<TFaxJob> jobs;
    for (const TFaxJob& job : Finished)
        if (!Active.count(IdNumber(job.Id)))
            jobs.push_back(job);
    for (const auto& [number, job] : Active)
        jobs.push_back(job);
    return jobs;
}
