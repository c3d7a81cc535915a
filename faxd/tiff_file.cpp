#include "tiff_file.h"

#include <cstdarg>
#include <cstdio>

bool TTiffFile::Open(const std::string& path, const char* mode, long maxAlloc)
{
    Close();
    LastError.clear();
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) {
        LastError = "out of memory";
        return false;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(options, &TTiffFile::OnError, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, &TTiffFile::OnWarning, this);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, maxAlloc);
    Tiff = TIFFOpenExt(path.c_str(), mode, options);
    TIFFOpenOptionsFree(options);
    if (!Tiff && LastError.empty())
        LastError = "cannot open " + path;
    return Tiff != nullptr;
}

bool TTiffFile::Close()
{
    if (Tiff) {
        TIFFClose(Tiff);
        Tiff = nullptr;
    }
    return LastError.empty();
}

int TTiffFile::OnError(TIFF*, void* userData, const char* module, const char* format, va_list args)
{
    auto* self = static_cast<TTiffFile*>(userData);
    if (self->LastError.empty()) {
        char text[512];
        vsnprintf(text, sizeof text, format, args);
        self->LastError = module && *module ? std::string(module) + ": " + text : std::string(text);
        if (self->LastError.empty())
            self->LastError = "TIFF error";
    }
    return 1;
}

int TTiffFile::OnWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}
