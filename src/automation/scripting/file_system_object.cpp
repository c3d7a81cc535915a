#include "automation/scripting/file_system_object.h"

#include "automation/automation_error.h"
#include "automation/scripting/file_objects.h"
#include "automation/scripting/fso_errors.h"
#include "automation/scripting/replacing_file.h"
#include "automation/scripting/text_stream.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

enum TIoMode { imReading = 1, imWriting = 2, imAppending = 8 };
enum TTextFormat { tfUseDefault = -2, tfUnicode = -1, tfAscii = 0 };

[[noreturn]] void RaiseInvalidArgument(const std::string& what) {
    throw TAutomationError("Invalid procedure call or argument: " + what);
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

} // namespace

const TMemberTable& TFileSystemObject::Members() const {
    using T = TFileSystemObject;
    static const TMemberTable table = {
        MakeMember<T>("FileExists", mkMethod, 1, 1, &T::FileExists),
        MakeMember<T>("FolderExists", mkMethod, 1, 1, &T::FolderExists),
        MakeMember<T>("GetFile", mkMethod, 1, 1, &T::GetFile),
        MakeMember<T>("GetFolder", mkMethod, 1, 1, &T::GetFolder),
        MakeMember<T>("OpenTextFile", mkMethod, 1, 4, &T::OpenTextFile),
        MakeMember<T>("CreateTextFile", mkMethod, 1, 3, &T::CreateTextFile),
        MakeMember<T>("CreateFolder", mkMethod, 1, 1, &T::CreateFolder),
        MakeMember<T>("CopyFile", mkMethod, 2, 3, &T::CopyFile),
    };
    return table;
}

TVariant TFileSystemObject::FileExists(const TArgs& args) { return IsFile(args[0].AsString()); }

TVariant TFileSystemObject::FolderExists(const TArgs& args) { return IsFolder(args[0].AsString()); }

TVariant TFileSystemObject::GetFile(const TArgs& args) {
    std::string path = args[0].AsString();
    if (!IsFile(path)) RaiseFileError("File not found", path);
    return MakeObject<TFsoFile>(path);
}

TVariant TFileSystemObject::GetFolder(const TArgs& args) {
    std::string path = args[0].AsString();
    if (!IsFolder(path)) RaiseFileError("Path not found", path);
    return MakeObject<TFsoFolder>(path);
}

TVariant TFileSystemObject::OpenTextFile(const TArgs& args) {
    std::string path = args[0].AsString();
    int mode = HasArg(args, 1) ? ArgAt(args, 1).AsInt32() : imReading;
    bool create = HasArg(args, 2) && ArgAt(args, 2).AsBool();
    int format = HasArg(args, 3) ? ArgAt(args, 3).AsInt32() : tfAscii;
    if (format == tfUnicode) RaiseInvalidArgument("Unicode text files are not supported");
    if (format != tfAscii && format != tfUseDefault) RaiseInvalidArgument("unknown format");
    switch (mode) {
    case imReading: return TTextStream::OpenForReading(path);
    case imWriting:
        if (!create && !IsFile(path)) RaiseFileError("File not found", path);
        return TTextStream::CreateForWriting(path, true);
    case imAppending: RaiseInvalidArgument("appending is not supported");
    default: RaiseInvalidArgument("unknown I/O mode");
    }
}

TVariant TFileSystemObject::CreateTextFile(const TArgs& args) {
    std::string path = args[0].AsString();
    bool overwrite = HasArg(args, 1) && ArgAt(args, 1).AsBool();
    if (HasArg(args, 2) && ArgAt(args, 2).AsBool()) RaiseInvalidArgument("Unicode text files are not supported");
    return TTextStream::CreateForWriting(path, overwrite);
}

TVariant TFileSystemObject::CreateFolder(const TArgs& args) {
    std::string path = args[0].AsString();
    if (path.empty()) RaiseFileError("Path not found", path);
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0) RaiseFileError("File already exists", path);
    if (::mkdir(path.c_str(), 0777) != 0) RaiseFileError(errno, path);
    return MakeObject<TFsoFolder>(path);
}

TVariant TFileSystemObject::CopyFile(const TArgs& args) {
    std::string source = args[0].AsString();
    std::string destination = args[1].AsString();
    bool overwrite = !HasArg(args, 2) || ArgAt(args, 2).AsBool();
    if (!destination.empty() && destination.back() == '/')
        destination += fs::path(source).filename().string();

    int input = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (input < 0) RaiseFileError("File not found", source);
    struct stat info {};
    if (::fstat(input, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(input);
        RaiseFileError("File not found", source);
    }
    try {
        // The copy lands whole or not at all, like every file this object writes.
        TReplacingFile output(destination, overwrite);
        output.SetMode(info.st_mode);
        char buffer[65536];
        for (;;) {
            ssize_t count = ::read(input, buffer, sizeof buffer);
            if (count < 0) {
                if (errno == EINTR) continue;
                RaiseFileError(errno, source);
            }
            if (count == 0) break;
            output.Write(std::string_view(buffer, static_cast<size_t>(count)));
        }
        output.Commit();
    } catch (...) {
        ::close(input);
        throw;
    }
    ::close(input);
    return {};
}
