#include "send/print_inbox.h"

#include "app/app_state.h"
#include "inbox_name.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

TPrintInbox::TPrintInbox(std::string folder) : FolderPath(std::move(folder)) {}

std::string TPrintInbox::UserFolder() {
    std::string dataHome = UserDataHome();
    if (dataHome.empty() || dataHome.front() != '/') return {};
    return InboxFolderUnder(dataHome);
}

bool TPrintInbox::Prepare() const {
    std::error_code ec;
    if (fs::is_directory(FolderPath, ec)) return true;
    fs::create_directories(FolderPath, ec);
    if (!fs::is_directory(FolderPath, ec)) return false;
    chmod(FolderPath.c_str(), 0700);
    return true;
}

size_t TPrintInbox::Refresh() {
    std::vector<std::string> present;
    std::error_code ec;
    for (fs::directory_iterator it(FolderPath, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::error_code typeError;
        if (IsInboxDocumentName(name) && it->is_regular_file(typeError)) present.push_back(it->path().string());
    }
    std::sort(present.begin(), present.end());

    std::erase_if(Queue, [&](const TInboxDocument& document) {
        return !std::binary_search(present.begin(), present.end(), document.Path);
    });
    size_t arrived = 0;
    for (const std::string& path : present) {
        bool known = DealtWith.count(path) ||
                     std::any_of(Queue.begin(), Queue.end(), [&](const TInboxDocument& document) { return document.Path == path; });
        if (known) continue;
        Queue.push_back({path, TitleOfInboxFile(fs::path(path).filename().string())});
        ++arrived;
    }
    return arrived;
}

bool TPrintInbox::Remove(const std::string& path) {
    std::string target = path;  // path may be the queue's own entry
    std::erase_if(Queue, [&](const TInboxDocument& document) { return document.Path == target; });
    std::error_code ec;
    fs::remove(target, ec);
    if (!ec) return true;
    DealtWith.insert(target);
    return false;
}
