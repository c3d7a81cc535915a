#include "inbox.h"

#include "fax_job.h"
#include "fax_tiff.h"
#include "kill_point.h"

#include "durable/durable_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

long long IdNumber(const std::string& id) {
    if (id.empty() || id.size() > 15 || id.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::atoll(id.c_str());
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string RecordText(const TInboxFax& fax) { return EncodeJson(InboxFaxObject(fax, true)) + "\n"; }

}  // namespace

bool ReadInboxRecord(const std::string& path, TInboxFax& fax) {
    std::optional<TJsonValue> object = DecodeJson(ReadText(path));
    if (!object || !object->IsObject()) return false;
    fax = ReadInboxFax(*object);
    return IdNumber(fax.Id) > 0;
}

TInbox::TInbox(std::string dataDir) : Root(std::move(dataDir)) {}

void TInbox::NoteId(const std::string& id) { LastId = std::max(LastId, IdNumber(id)); }

bool TInbox::Open(std::string& error) {
    for (const std::string& folder : {InboxDir(), TrashDir(), IncomingDir()}) {
        if (!MakeFolder(folder)) {
            error = "cannot create " + folder;
            return false;
        }
    }
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(IncomingDir(), ec)) fs::remove(entry.path(), ec);
    if (!LoadLog() || !LoadFolder()) {
        error = "cannot read the received faxes in " + Root;
        return false;
    }
    return true;
}

bool TInbox::LoadLog() {
    std::ifstream in(LogPath(), std::ios::binary);
    std::string line;
    bool endsWithNewline = true;
    while (std::getline(in, line)) {
        endsWithNewline = !in.eof();
        std::optional<TJsonValue> object = DecodeJson(line);
        if (!object || !object->IsObject()) continue;  // cut short by a crash
        TInboxFax fax = ReadInboxFax(*object);
        NoteId(fax.Id);
        if (!fax.Source.empty()) Sources.insert(fax.Source);
    }
    return endsWithNewline || AppendDurably(LogPath(), "\n");
}

bool TInbox::LoadFolder() {
    std::error_code ec;
    std::map<std::string, bool> tiffs;  // ids with a TIFF in Inbox/
    std::vector<fs::path> records;
    for (const fs::directory_entry& entry : fs::directory_iterator(InboxDir(), ec)) {
        const fs::path& path = entry.path();
        if (path.extension() == ".tif") tiffs[path.stem().string()] = true;
        if (path.extension() == ".json") records.push_back(path);
    }
    if (ec) return false;
    for (const fs::path& path : records) {
        TInboxFax fax;
        std::string id = path.stem().string();
        if (!ReadInboxRecord(path.string(), fax) || fax.Id != id || !tiffs.count(id)) {
            // Written by hand, or a fax whose pages are gone: not listed.
            continue;
        }
        NoteId(id);
        if (!fax.Source.empty()) Sources.insert(fax.Source);
        tiffs.erase(id);
        Faxes[IdNumber(id)] = std::move(fax);
    }
    // A TIFF without a record: a delete cut short (its record is in Trash/:
    // finish the move), or a filing cut short (never acknowledged: its line
    // delivers it again).
    for (const auto& [id, present] : tiffs) {
        if (IdNumber(id) == 0) continue;
        if (fs::exists(TrashDir() + "/" + id + ".json", ec))
            RenameDurably(FaxPath(id), TrashDir() + "/" + id + ".tif");
        else
            RemoveDurably(FaxPath(id));
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(TrashDir(), ec)) NoteId(entry.path().stem().string());
    return true;
}

bool TInbox::FileReceivedFax(const std::string& tiffPath, TInboxFax& fax, std::string& error) {
    std::unique_lock lock(Guard);
    if (!fax.Source.empty() && Sources.count(fax.Source)) {
        for (const auto& [number, earlier] : Faxes)
            if (earlier.Source == fax.Source) fax = earlier;
        std::error_code ec;
        fs::remove(tiffPath, ec);
        return true;
    }
    fax.Pages = CountTiffPages(tiffPath);
    if (fax.Pages <= 0) {
        error = "the received fax cannot be read";
        return false;
    }
    fax.Id = std::to_string(++LastId);
    fax.Read = false;
    if (fax.Arrived.empty()) fax.Arrived = LocalTimeNow();
    if (!RenameDurably(tiffPath, FaxPath(fax.Id))) {
        error = "cannot move the fax into Inbox";
        return false;
    }
    KillPoint("inbox-pages");
    if (!WriteFileDurably(RecordPath(fax.Id), RecordText(fax))) {
        RemoveDurably(FaxPath(fax.Id));
        error = "cannot write the fax's record in Inbox";
        return false;
    }
    KillPoint("inbox-record");
    // The record is what counts; the log only remembers the source beyond Trash/.
    AppendDurably(LogPath(), RecordText(fax));
    if (!fax.Source.empty()) Sources.insert(fax.Source);
    Faxes[IdNumber(fax.Id)] = fax;
    std::vector<std::function<void(const TInboxFax&)>> listeners = Listeners;
    lock.unlock();
    for (const auto& listener : listeners) listener(fax);
    return true;
}

bool TInbox::HasSource(const std::string& source) const {
    std::lock_guard lock(Guard);
    return Sources.count(source) > 0;
}

std::vector<TInboxFax> TInbox::List() const {
    std::lock_guard lock(Guard);
    std::vector<TInboxFax> faxes;
    faxes.reserve(Faxes.size());
    for (auto it = Faxes.rbegin(); it != Faxes.rend(); ++it) faxes.push_back(it->second);
    return faxes;
}

bool TInbox::Find(const std::string& id, TInboxFax& fax) const {
    std::lock_guard lock(Guard);
    auto found = Faxes.find(IdNumber(id));
    if (found == Faxes.end()) return false;
    fax = found->second;
    return true;
}

bool TInbox::Mark(const std::string& id, bool read, std::string& error) {
    std::lock_guard lock(Guard);
    auto found = Faxes.find(IdNumber(id));
    if (found == Faxes.end()) {
        error = "no such fax";
        return false;
    }
    if (found->second.Read == read) return true;
    TInboxFax changed = found->second;
    changed.Read = read;
    if (!WriteFileDurably(RecordPath(id), RecordText(changed))) {
        error = "cannot write the fax's record in Inbox";
        return false;
    }
    found->second = changed;
    return true;
}

bool TInbox::Delete(const std::string& id, std::string& error) {
    std::lock_guard lock(Guard);
    auto found = Faxes.find(IdNumber(id));
    if (found == Faxes.end()) {
        error = "no such fax";
        return false;
    }
    // The record first: once it has gone the fax is no longer listed, and Open
    // moves a TIFF left behind after it.
    if (!RenameDurably(RecordPath(id), TrashDir() + "/" + id + ".json")) {
        error = "cannot move the fax to Trash";
        return false;
    }
    KillPoint("trash-record");
    RenameDurably(FaxPath(id), TrashDir() + "/" + id + ".tif");
    Faxes.erase(found);
    return true;
}

void TInbox::AddArrivalListener(std::function<void(const TInboxFax&)> listener) {
    std::lock_guard lock(Guard);
    Listeners.push_back(std::move(listener));
}
