#include "received_filing.h"

#include "durable/durable_file.h"

#include <QDateTime>

#include <cctype>
#include <cerrno>

bool FileReceivedFax(const std::string& tiff, const std::string& receivedDir, const std::string& caller,
                     std::string& filedPath)
{
    if (!MakeFolder(receivedDir))
        return false;
    std::string digits;
    for (char c : caller)
        if (std::isdigit(static_cast<unsigned char>(c)) && digits.size() < 20)
            digits += c;
    std::string stem = receivedDir + "/"
        + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss").toStdString()
        + (digits.empty() ? "" : "-" + digits);
    for (int n = 1; n < 1000; ++n) {
        std::string path = stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".tif";
        if (RenameNoReplace(tiff, path)) {
            filedPath = path;
            return SyncFolderOf(path);
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}
