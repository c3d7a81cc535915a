#include "private_session_bus.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

TPrivateSessionBus::~TPrivateSessionBus()
{
    if (Daemon > 0) {
        kill(Daemon, SIGTERM);
        waitpid(Daemon, nullptr, 0);
    }
}

bool TPrivateSessionBus::Start(const std::string& folder, std::string& error)
{
    std::filesystem::create_directories(folder);
    std::string socket = folder + "/bus";
    BusAddress = "unix:path=" + socket;
    std::string addressArg = "--address=" + BusAddress;
    Daemon = fork();
    if (Daemon == 0) {
        execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile", addressArg.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    if (Daemon < 0) {
        error = "cannot fork";
        return false;
    }
    for (int i = 0; i < 200; ++i) {
        std::error_code ec;
        if (std::filesystem::exists(socket, ec))
            return true;
        int status = 0;
        if (waitpid(Daemon, &status, WNOHANG) == Daemon) {
            Daemon = -1;
            error = "dbus-daemon did not start (is it installed?)";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    error = "dbus-daemon did not open its socket";
    return false;
}
