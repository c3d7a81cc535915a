#pragma once

#include <set>
#include <string>
#include <vector>

// The documents printed to the fax printer that wait for a destination, in
// the order they were printed. The printer's backend puts them into the
// folder; the window offers the first one and removes it once it was sent or
// discarded.
struct TInboxDocument {
    std::string Path;
    std::string Title;  // the print job's title, as far as the file name keeps it
};

class TPrintInbox {
public:
    explicit TPrintInbox(std::string folder);

    // The inbox of the user running us: $XDG_DATA_HOME/pelmor/inbox, else
    // ~/.local/share/pelmor/inbox; empty when neither is known.
    static std::string UserFolder();

    const std::string& Folder() const { return FolderPath; }

    // Creates the folder (mode 0700) when missing; false when it cannot.
    bool Prepare() const;

    // Takes in the documents that arrived since the last look, after those
    // already waiting, and forgets those whose file is gone. Returns how many
    // arrived.
    size_t Refresh();

    const std::vector<TInboxDocument>& Waiting() const { return Queue; }
    bool HasWaiting() const { return !Queue.empty(); }
    const TInboxDocument& Offered() const { return Queue.front(); }

    // Removes a document, its file included. A file that cannot be removed is
    // still never offered again while we run: it was dealt with. False when
    // its file stays behind.
    bool Remove(const std::string& path);

private:
    std::string FolderPath;
    std::vector<TInboxDocument> Queue;
    std::set<std::string> DealtWith;
};
