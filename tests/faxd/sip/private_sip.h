#pragma once

// The real SIP components of the SIP line's tests, each on loopback, private
// to the test, started in the foreground and stopped by its PID: Kamailio as
// registrar and proxy, rtpengine as the T.38 gateway, SIPp as a scripted far
// side.

#include <string>
#include <sys/types.h>
#include <vector>

// A child process whose output goes to a log file; SIGTERM, then SIGKILL, on Stop.
class TChildProcess {
public:
    ~TChildProcess() { Stop(); }
    bool Start(const std::vector<std::string>& args, const std::string& logPath);
    void Stop();
    // Waits up to seconds for it to end by itself; its exit code, -1 when it did not end.
    int Wait(int seconds);
    bool Running() const { return Pid > 0; }

private:
    pid_t Pid = -1;
};

// A port free for both UDP and TCP on 127.0.0.1 now.
int FreePort();

struct TKamailioSetup {
    std::string AlicePassword;
    std::string BobPassword;
    int NgPort = 0;    // rtpengine's control port
    int SippPort = 0;  // where 2xxx numbers go
};

class TPrivateKamailio {
public:
    // Writes the configuration into folder and starts; false when it does not listen within 20 s.
    bool Start(const std::string& folder, const TKamailioSetup& setup);
    int Port() const { return SipPort; }
    std::string Server() const { return "127.0.0.1:" + std::to_string(SipPort); }

private:
    TChildProcess Process;
    int SipPort = 0;
};

class TPrivateRtpengine {
public:
    // Userspace only (no kernel table); false when it does not answer a ping within 20 s.
    bool Start(const std::string& folder);
    int NgPort() const { return Ng; }

private:
    TChildProcess Process;
    int Ng = 0;
};

class TPrivateSipp {
public:
    // Runs scenario (a file of tests/faxd/sip/sipp) as the far side on port
    // for calls calls; keys fill its [name] fields.
    bool Start(const std::string& folder, const std::string& scenario, int port, int calls,
               const std::vector<std::pair<std::string, std::string>>& keys);
    // SIPp's exit code (0: every call went as scripted), -1 when still running after seconds.
    int Wait(int seconds) { return Process.Wait(seconds); }

private:
    TChildProcess Process;
};
