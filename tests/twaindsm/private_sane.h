#pragma once

#include "temp_dir.h"

#include <string>

// SANE with only its "test" backend, configured in a folder of the test's own
// (SANE_CONFIG_DIR): one virtual scanner that draws its colour pattern. The
// machine's SANE configuration is never read. SANE reads the folder's name
// once per process, so a process has one such configuration, ForThisProcess.
//
// SANE and its test backend keep a little memory until the process ends
// (the configuration folder's name, what a cancelled scan had allocated);
// they are held loaded so that the leak checker can name them.
class TPrivateSane {
public:
    static TPrivateSane& ForThisProcess(double widthMm = 80, double heightMm = 100);

    // Width and height of the scan area in millimetres.
    explicit TPrivateSane(double widthMm = 80, double heightMm = 100);
    ~TPrivateSane();
    TPrivateSane(const TPrivateSane&) = delete;
    TPrivateSane& operator=(const TPrivateSane&) = delete;

    std::string ConfigDir() const { return Dir.Path().string(); }

    static constexpr const char* ProductName = "Noname frontend-tester";

private:
    TTempDir Dir;
    std::string Previous;
    bool HadPrevious = false;
};
