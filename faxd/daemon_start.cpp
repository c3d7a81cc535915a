#include "daemon_start.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int ReportFd = -1;

void Report(const std::string& text)
{
    if (ReportFd < 0)
        return;
    ssize_t written = write(ReportFd, text.data(), text.size());
    (void)written;
    close(ReportFd);
    ReportFd = -1;
}

} // namespace

void Detach()
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        std::perror("pelmor-faxd: pipe");
        std::exit(1);
    }
    std::fflush(nullptr);
    pid_t child = fork();
    if (child < 0) {
        std::perror("pelmor-faxd: fork");
        std::exit(1);
    }
    if (child > 0) {
        close(pipeFds[1]);
        int status = 0;
        waitpid(child, &status, 0);
        std::string word;
        char buffer[512];
        ssize_t got;
        while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0)
            word.append(buffer, static_cast<size_t>(got));
        if (word == "ready")
            std::exit(0);
        std::fprintf(stderr, "pelmor-faxd: %s\n", word.empty() ? "the service died while starting" : word.c_str());
        std::exit(1);
    }
    close(pipeFds[0]);
    setsid();
    pid_t service = fork();
    if (service < 0)
        _exit(1);
    if (service > 0)
        _exit(0);
    ReportFd = pipeFds[1];
    umask(077);
    if (chdir("/") != 0) {
        // Nothing depends on the working folder; the paths are absolute.
    }
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        if (null > STDERR_FILENO)
            close(null);
    }
}

void ReportReady()
{
    Report("ready");
}

void ReportFailure(const std::string& error)
{
    Report(error);
}
