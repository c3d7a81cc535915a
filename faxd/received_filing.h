#pragma once

#include <string>

// Files a fax a line received: moves tiff (on the same file system) into
// receivedDir under a name of the time and the caller, never replacing a
// file there, and makes the move durable. filedPath tells where it went.
bool FileReceivedFax(const std::string& tiff, const std::string& receivedDir, const std::string& caller,
                     std::string& filedPath);
