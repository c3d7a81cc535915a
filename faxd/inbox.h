#pragma once

#include "faxproto/inbox_messages.h"

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

// The received faxes: Inbox/<id>.tif (the pages, multi-page TIFF) and
// Inbox/<id>.json (the record). A fax counts once its record is there; the
// TIFF is moved in first, so a listed fax always has its pages. Deleting
// moves the record, then the TIFF, to Trash/. inbox.log keeps one line per
// fax ever filed, so that a line's own name of a fax (Source) is known after
// the fax has left Trash/ too and nothing is filed twice. Open finishes or
// undoes whatever a crash left half done.
//
// Thread use: every member may be called from any thread.
class TInbox {
public:
    explicit TInbox(std::string dataDir);

    // Creates Inbox/, Inbox/.incoming/ and Trash/, tidies up and loads the records.
    bool Open(std::string& error);

    // Where a line puts a fax while it arrives: a folder on the same file
    // system as Inbox/, emptied at each Open.
    std::string IncomingDir() const { return InboxDir() + "/.incoming"; }

    // Files a received fax: the TIFF at tiffPath (moved, so best made in
    // IncomingDir) with what the line knows of it. Sets fax.Id, fax.Pages
    // (counted in the TIFF) and fax.Arrived (when empty); Read is false. A fax
    // whose Source was filed before is not filed again: true, fax set to the
    // earlier one, the TIFF removed. Arrival listeners hear of each new fax.
    bool FileReceivedFax(const std::string& tiffPath, TInboxFax& fax, std::string& error);

    // Whether a fax of this Source was ever filed.
    bool HasSource(const std::string& source) const;

    // Newest first.
    std::vector<TInboxFax> List() const;
    bool Find(const std::string& id, TInboxFax& fax) const;
    bool Mark(const std::string& id, bool read, std::string& error);
    bool Delete(const std::string& id, std::string& error);

    void AddArrivalListener(std::function<void(const TInboxFax&)> listener);

    std::string InboxDir() const { return Root + "/Inbox"; }
    std::string TrashDir() const { return Root + "/Trash"; }
    std::string LogPath() const { return Root + "/inbox.log"; }
    std::string FaxPath(const std::string& id) const { return InboxDir() + "/" + id + ".tif"; }
    std::string RecordPath(const std::string& id) const { return InboxDir() + "/" + id + ".json"; }

private:
    bool LoadLog();
    bool LoadFolder();
    void NoteId(const std::string& id);

    std::string Root;
    mutable std::mutex Guard;
    std::map<long long, TInboxFax> Faxes;
    std::set<std::string> Sources;
    long long LastId = 0;
    std::vector<std::function<void(const TInboxFax&)>> Listeners;
};

// Reads a fax record file; false when it is not one.
bool ReadInboxRecord(const std::string& path, TInboxFax& fax);
