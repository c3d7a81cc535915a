#pragma once

#include <string>
#include <sys/types.h>

// A D-Bus session bus of the test's own (dbus-daemon --session on a socket
// in a private folder), stopped by its PID when the object dies.
class TPrivateSessionBus {
public:
    TPrivateSessionBus() = default;
    ~TPrivateSessionBus();
    TPrivateSessionBus(const TPrivateSessionBus&) = delete;
    TPrivateSessionBus& operator=(const TPrivateSessionBus&) = delete;

    // Starts the bus with its socket in folder; false with an error.
    bool Start(const std::string& folder, std::string& error);
    // The address to give clients (DBUS_SESSION_BUS_ADDRESS).
    const std::string& Address() const { return BusAddress; }

private:
    pid_t Daemon = -1;
    std::string BusAddress;
};
