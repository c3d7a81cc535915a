#pragma once

#include <QJsonObject>

#include <string>
#include <sys/types.h>
#include <vector>

// A real pelmor-faxd started for a test, in the foreground, with its own
// data folder and socket; killed (SIGKILL) when the object dies.
class TServiceProcess {
public:
    TServiceProcess(std::string dataDir, std::string socketPath);
    ~TServiceProcess();
    TServiceProcess(const TServiceProcess&) = delete;
    TServiceProcess& operator=(const TServiceProcess&) = delete;

    // Starts it (killAt: the PELMOR_FAXD_KILL_AT point, or empty) and waits
    // until the socket answers; false when it does not within 20 s.
    bool Start(const std::string& killAt = "", const std::vector<std::string>& extraArgs = {});
    // Waits for the process to end by itself (a kill point); its wait status.
    int WaitForExit();
    void Kill(int signal);
    // The process's standard error goes to path (set before Start).
    void LogTo(std::string path) { Log = std::move(path); }
    pid_t Pid() const { return Process; }

    // One request on a fresh connection; the answer (empty object when none came).
    QJsonObject Ask(const QJsonObject& request) const;
    std::string AskRaw(const std::string& line) const;

    // Asks for the job list until every job is done or failed (at most 120 s);
    // the last list.
    std::vector<QJsonObject> WaitUntilSettled() const;

    const std::string& DataDir() const { return Data; }
    const std::string& SocketPath() const { return Socket; }

private:
    std::string Data;
    std::string Socket;
    pid_t Process = -1;
    std::string Log;
};

// The pelmor-faxd program under test.
std::string FaxdProgram();
