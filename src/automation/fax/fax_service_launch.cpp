#include "automation/fax/fax_service_launch.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::string ResolveProgram(const std::string& program) {
    if (program.empty()) return {};
    if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0 ? program : std::string();
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        // An empty or relative entry would mean the working folder: never searched.
        if (folder.empty() || folder[0] != '/') continue;
        std::string candidate = folder + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

// Runs in the forked children: only async-signal-safe calls from here on.
[[noreturn]] void RunDetached(const char* path, char* const* argv, char* const* envp, int reportFd) {
    setsid();
    pid_t grandchild = fork();
    if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);

    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        if (null > STDERR_FILENO) close(null);
    }
    // Nothing else of this process (windows' connections, open files) may
    // leak into the service; the report pipe is close-on-exec already.
    close_range(STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC);
    if (chdir("/") != 0) {
        // The service does not depend on its working folder.
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);

    execve(path, argv, envp);
    int error = errno;
    ssize_t written = write(reportFd, &error, sizeof error);
    (void)written;
    _exit(127);
}

} // namespace

bool StartFaxService(const std::string& program, const std::string& socketPath) {
    const std::string path = ResolveProgram(program);
    if (path.empty()) return false;

    // Everything the children need is prepared before fork.
    std::vector<std::string> environment;
    for (char** entry = environ; entry && *entry; ++entry)
        if (std::string_view(*entry).substr(0, 19) != "PELMOR_FAXD_SOCKET=") environment.emplace_back(*entry);
    environment.push_back("PELMOR_FAXD_SOCKET=" + socketPath);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string argv0 = path;
    char* argv[] = {argv0.data(), nullptr};

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;
    pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) RunDetached(path.c_str(), argv, envp.data(), report[1]);

    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes without a word when the service program took over;
    // otherwise it carries the reason exec failed.
    int execError = 0;
    ssize_t got;
    while ((got = read(report[0], &execError, sizeof execError)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}
