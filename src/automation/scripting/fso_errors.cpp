#include "automation/scripting/fso_errors.h"

#include "automation/automation_error.h"

#include <cerrno>
#include <cstring>
#include <limits>

namespace {

std::string ErrorText(int errorNumber) {
    switch (errorNumber) {
    case ENOENT:
    case ENOTDIR: return "Path not found";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return "Permission denied";
    case EEXIST: return "File already exists";
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return "Disk full";
    case ENAMETOOLONG: return "Bad file name or number";
    default: return std::string("File error: ") + std::strerror(errorNumber);
    }
}

} // namespace

void RaiseFileError(int errorNumber, const std::string& path) { RaiseFileError(ErrorText(errorNumber), path); }

void RaiseFileError(const std::string& text, const std::string& path) {
    throw TAutomationError(text + ": " + path);
}

TVariant SizeVariant(uint64_t size) {
    if (size <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return TVariant(static_cast<int32_t>(size));
    if (size > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
        return TVariant(std::numeric_limits<int64_t>::max());
    return TVariant(static_cast<int64_t>(size));
}
