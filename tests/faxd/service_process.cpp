#include "service_process.h"

#include "faxproto/fax_socket.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

std::string FaxdProgram()
{
    return PELMOR_FAXD_PROGRAM;
}

TServiceProcess::TServiceProcess(std::string dataDir, std::string socketPath)
    : Data(std::move(dataDir)), Socket(std::move(socketPath))
{
}

TServiceProcess::~TServiceProcess()
{
    if (Process > 0) {
        Kill(SIGKILL);
        WaitForExit();
    }
}

bool TServiceProcess::Start(const std::string& killAt, const std::vector<std::string>& extraArgs)
{
    std::vector<std::string> args = {FaxdProgram(), "--foreground", "--data-dir", Data, "--socket", Socket,
                                     "--config", "/dev/null"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    Process = fork();
    if (Process == 0) {
        if (killAt.empty())
            unsetenv("PELMOR_FAXD_KILL_AT");
        else
            setenv("PELMOR_FAXD_KILL_AT", killAt.c_str(), 1);
        if (!Log.empty()) {
            int fd = open(Log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
            if (fd >= 0)
                dup2(fd, 2);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    for (int i = 0; i < 400; ++i) {
        if (!AskRaw(R"({"op":"jobs"})").empty())
            return true;
        int status;
        if (waitpid(Process, &status, WNOHANG) == Process) {
            Process = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

int TServiceProcess::WaitForExit()
{
    int status = 0;
    if (Process > 0)
        waitpid(Process, &status, 0);
    Process = -1;
    return status;
}

void TServiceProcess::Kill(int signal)
{
    if (Process > 0)
        kill(Process, signal);
}

std::string TServiceProcess::AskRaw(const std::string& line) const
{
    return AskFaxService(Socket, line);
}

QJsonObject TServiceProcess::Ask(const QJsonObject& request) const
{
    std::string answer = AskRaw(QJsonDocument(request).toJson(QJsonDocument::Compact).toStdString());
    return QJsonDocument::fromJson(QByteArray::fromStdString(answer)).object();
}

std::vector<QJsonObject> TServiceProcess::WaitUntilSettled() const
{
    std::vector<QJsonObject> jobs;
    for (int i = 0; i < 1200; ++i) {
        jobs.clear();
        bool settled = true;
        for (const QJsonValue& value : Ask({{"op", "jobs"}})["jobs"].toArray()) {
            jobs.push_back(value.toObject());
            QString state = value.toObject()["state"].toString();
            if (state != "done" && state != "failed")
                settled = false;
        }
        if (settled)
            return jobs;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return jobs;
}
