#pragma once

#include "platform/seam.h"

#include <chrono>
#include <cstdint>
#include <string>

// Waits the given number of milliseconds. Tests replace it so nothing waits.
extern TSeam<void(uint32_t milliseconds)> SleepSeam;
void Sleep(uint32_t milliseconds);

// The name of this computer (the host name); empty when it cannot be read.
extern TSeam<std::string()> ComputerNameSeam;
std::string ReadComputerName();

// The operating system's version record; only the major and minor numbers are
// used. This platform reports its kernel's numbers, which never read 5.0.
struct TOsVersionInfo {
    uint32_t MajorVersion = 0;
    uint32_t MinorVersion = 0;
};
extern TSeam<bool(TOsVersionInfo& info)> VersionSeam;
bool GetOsVersion(TOsVersionInfo& info);

// The desktop's work area in screen pixels.
struct TWorkArea {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};
extern TSeam<TWorkArea()> WorkAreaSeam;
TWorkArea GetWorkArea();

// The local wall-clock time.
extern TSeam<std::chrono::system_clock::time_point()> ClockSeam;
std::chrono::system_clock::time_point Now();
