#include "platform/system_info.h"

#include <cstdio>
#include <sys/utsname.h>
#include <thread>
#include <unistd.h>

TSeam<void(uint32_t)> SleepSeam(
    [](uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); });

void Sleep(uint32_t milliseconds) { SleepSeam(milliseconds); }

TSeam<std::string()> ComputerNameSeam([]() -> std::string {
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0) return {};
    return buffer;
});

std::string ReadComputerName() { return ComputerNameSeam(); }

TSeam<bool(TOsVersionInfo&)> VersionSeam([](TOsVersionInfo& info) {
    struct utsname name {};
    if (uname(&name) != 0) return false;
    unsigned major = 0;
    unsigned minor = 0;
    if (std::sscanf(name.release, "%u.%u", &major, &minor) < 1) return false;
    info.MajorVersion = major;
    // The record never reads 5.0 here: that number selects the legacy fax
    // objects, which this platform keeps for tests only.
    info.MinorVersion = (major == 5 && minor == 0) ? 1 : minor;
    return true;
});

bool GetOsVersion(TOsVersionInfo& info) { return VersionSeam(info); }

TSeam<TWorkArea()> WorkAreaSeam([] { return TWorkArea{0, 0, 1024, 768}; });

TWorkArea GetWorkArea() { return WorkAreaSeam(); }

TSeam<std::chrono::system_clock::time_point()> ClockSeam([] { return std::chrono::system_clock::now(); });

std::chrono::system_clock::time_point Now() { return ClockSeam(); }
