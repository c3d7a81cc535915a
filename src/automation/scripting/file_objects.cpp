#include "automation/scripting/file_objects.h"

#include "automation/scripting/fso_errors.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool Vanished(const std::error_code& ec) {
    return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
}

void AddFolderBytes(const fs::path& folder, uint64_t& total, bool isRoot) {
    std::error_code ec;
    fs::directory_iterator entries(folder, ec);
    if (ec) {
        if (!isRoot && Vanished(ec)) return;
        if (Vanished(ec)) RaiseFileError("Path not found", folder.string());
        RaiseFileError(ec.value(), folder.string());
    }
    for (; entries != fs::directory_iterator(); entries.increment(ec)) {
        if (ec) RaiseFileError(ec.value(), folder.string());
        const fs::directory_entry& entry = *entries;
        fs::file_status status = entry.symlink_status(ec);
        if (ec) {
            if (Vanished(ec)) continue;
            RaiseFileError(ec.value(), entry.path().string());
        }
        if (fs::is_directory(status)) {
            AddFolderBytes(entry.path(), total, false);
        } else if (fs::is_regular_file(status)) {
            uintmax_t size = fs::file_size(entry.path(), ec);
            if (ec) {
                if (Vanished(ec)) continue;
                RaiseFileError(ec.value(), entry.path().string());
            }
            total += size;
        }
    }
    if (ec) RaiseFileError(ec.value(), folder.string());
}

} // namespace

uint64_t FolderBytes(const std::string& path) {
    uint64_t total = 0;
    AddFolderBytes(fs::path(path), total, true);
    return total;
}

const TMemberTable& TFsoFile::Members() const {
    static const TMemberTable table = {
        MakeMember<TFsoFile>("Size", mkPropertyGet, 0, 0, &TFsoFile::GetSize),
        MakeMember<TFsoFile>("Path", mkPropertyGet, 0, 0, &TFsoFile::GetPath),
    };
    return table;
}

TVariant TFsoFile::GetSize(const TArgs&) {
    std::error_code ec;
    fs::file_status status = fs::status(Path, ec);
    if (ec || !fs::is_regular_file(status)) RaiseFileError("File not found", Path);
    uintmax_t size = fs::file_size(Path, ec);
    if (ec) RaiseFileError(ec.value(), Path);
    return SizeVariant(size);
}

TVariant TFsoFile::GetPath(const TArgs&) { return TVariant(Path); }

const TMemberTable& TFsoFolder::Members() const {
    static const TMemberTable table = {
        MakeMember<TFsoFolder>("Size", mkPropertyGet, 0, 0, &TFsoFolder::GetSize),
        MakeMember<TFsoFolder>("Path", mkPropertyGet, 0, 0, &TFsoFolder::GetPath),
    };
    return table;
}

TVariant TFsoFolder::GetSize(const TArgs&) { return SizeVariant(FolderBytes(Path)); }

TVariant TFsoFolder::GetPath(const TArgs&) { return TVariant(Path); }
