#pragma once

#include <string>
#include <tiffio.h>

// An open libtiff handle that keeps libtiff's first error for itself (no
// process-wide handler is involved) and closes the file when it dies.
class TTiffFile {
public:
    TTiffFile() = default;
    ~TTiffFile() { Close(); }
    TTiffFile(const TTiffFile&) = delete;
    TTiffFile& operator=(const TTiffFile&) = delete;

    // mode as for TIFFOpen: "r" to read, "w" to write. False with Error() set
    // when the file cannot be opened. maxAlloc caps libtiff's single buffers.
    bool Open(const std::string& path, const char* mode, long maxAlloc = 256L << 20);
    // Closes (flushing what was written); false when libtiff reported an error
    // at any time while the file was open.
    bool Close();

    TIFF* Handle() const { return Tiff; }
    bool Failed() const { return !LastError.empty(); }
    const std::string& Error() const { return LastError; }

private:
    static int OnError(TIFF* tiff, void* userData, const char* module, const char* format, va_list args);
    static int OnWarning(TIFF* tiff, void* userData, const char* module, const char* format, va_list args);

    TIFF* Tiff = nullptr;
    std::string LastError;
};
