#pragma once

#include <string>

// Seeds a private LibreOffice profile (the folder given as UserInstallation)
// with the settings every conversion relies on, whether the document is
// opened by the resident LibreOffice or by a one-off `--convert-to`: macros
// never run, and links to other files are never updated. Settings LibreOffice
// has kept there are left as they are. False when the file cannot be written.
bool SeedOfficeSettings(const std::string& profile);
