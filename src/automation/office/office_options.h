#pragma once

#include <chrono>
#include <string>

// How the Word and Excel stand-ins run LibreOffice.
struct TOfficeOptions {
    // The LibreOffice program: a name looked up on PATH, or a path.
    std::string Program = "soffice";
    // The Python that drives the resident LibreOffice through UNO (Debian's,
    // where python3-uno lives).
    std::string Interpreter = "/usr/bin/python3";
    // Keep one LibreOffice running between conversions.
    bool UseResident = true;
    // Longest wait for LibreOffice: starting, opening, saving. The child is
    // killed when it passes and the call raises an error.
    std::chrono::milliseconds TimeLimit = std::chrono::seconds(60);
    // The resident LibreOffice ends after this long without a request.
    std::chrono::milliseconds IdleLimit = std::chrono::minutes(10);
    // Where the private folder (profiles, working copies) is made; empty means
    // $XDG_RUNTIME_DIR, else the system's temporary folder.
    std::string FolderRoot;
    // Where LibreOffice's profile is kept between runs (TProfileSlot); empty
    // means a new profile in the private folder each time.
    std::string ProfileRoot;
};
