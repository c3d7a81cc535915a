#include "automation/scripting/text_stream.h"

#include "automation/scripting/fso_errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TVariant TTextStream::OpenForReading(const std::string& path) {
    int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (handle < 0) {
        if (errno == ENOENT) RaiseFileError("File not found", path);
        RaiseFileError(errno, path);
    }
    struct stat info {};
    if (::fstat(handle, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(handle);
        RaiseFileError("Permission denied", path);
    }
    auto stream = std::make_shared<TTextStream>(path);
    stream->ReadHandle = handle;
    return TVariant(TObjectRef(stream));
}

TVariant TTextStream::CreateForWriting(const std::string& path, bool overwrite) {
    auto writer = std::make_unique<TReplacingFile>(path, overwrite);
    auto stream = std::make_shared<TTextStream>(path);
    stream->Writer = std::move(writer);
    return TVariant(TObjectRef(stream));
}

TTextStream::TTextStream(std::string path) : Path(std::move(path)) {}

TTextStream::~TTextStream() {
    if (ReadHandle >= 0) ::close(ReadHandle);
    // A writer still open here is discarded by its own destructor: the target
    // keeps its previous content.
}

const TMemberTable& TTextStream::Members() const {
    static const TMemberTable table = {
        MakeMember<TTextStream>("ReadAll", mkMethod, 0, 0, &TTextStream::ReadAll),
        MakeMember<TTextStream>("Write", mkMethod, 1, 1, &TTextStream::Write),
        MakeMember<TTextStream>("Close", mkMethod, 0, 0, &TTextStream::Close),
    };
    return table;
}

void TTextStream::RaiseBadMode() const { RaiseFileError("Bad file mode", Path); }

TVariant TTextStream::ReadAll(const TArgs&) {
    if (ReadHandle < 0) RaiseBadMode();
    std::string text;
    char buffer[65536];
    for (;;) {
        ssize_t count = ::read(ReadHandle, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            RaiseFileError(errno, Path);
        }
        if (count == 0) break;
        text.append(buffer, static_cast<size_t>(count));
    }
    return TVariant(std::move(text));
}

TVariant TTextStream::Write(const TArgs& args) {
    if (!Broken.empty()) RaiseFileError(Broken, Path);
    if (!Writer) RaiseBadMode();
    std::string text = args[0].AsString();
    try {
        Writer->Write(text);
    } catch (...) {
        Broken = "Write failed earlier";
        Writer.reset();
        throw;
    }
    return {};
}

TVariant TTextStream::Close(const TArgs&) {
    if (ReadHandle >= 0) {
        ::close(ReadHandle);
        ReadHandle = -1;
    }
    if (!Broken.empty()) {
        std::string reason = Broken;
        Broken.clear();
        RaiseFileError(reason + ", nothing was saved", Path);
    }
    if (Writer) {
        std::unique_ptr<TReplacingFile> writer = std::move(Writer);
        writer->Commit();
    }
    return {};
}
