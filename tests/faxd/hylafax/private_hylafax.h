#pragma once

#include <string>

// A private HylaFAX server (faxq and hfaxd on a free port of 127.0.0.1, a spool
// folder of its own) started by private_hylafax.sh, optionally with two
// iaxmodems joined over loopback. Stopped when the object dies; a watcher
// started with it stops it too when the test process dies first.
class TPrivateHylafax {
public:
    TPrivateHylafax() = default;
    ~TPrivateHylafax() { Stop(); }
    TPrivateHylafax(const TPrivateHylafax&) = delete;
    TPrivateHylafax& operator=(const TPrivateHylafax&) = delete;

    // Empty when the HylaFAX programs are installed; else why the tests skip.
    static std::string MissingReason(bool withModems);

    // Starts the instance below folder (which must be empty or absent).
    bool Start(const std::string& folder, bool withModems, std::string& error);
    void Stop();

    int Port() const { return PortNumber; }
    const std::string& Spool() const { return SpoolFolder; }
    const std::string& ModemA() const { return SendingModem; }
    const std::string& ModemB() const { return ReceivingModem; }

private:
    std::string Folder;
    std::string SpoolFolder;
    std::string SendingModem;
    std::string ReceivingModem;
    int PortNumber = 0;
};

// A port of 127.0.0.1 that nothing listens on right now (TCP or UDP).
int FindFreePort(bool udp);
