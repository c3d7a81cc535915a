#include "automation/office/child_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

int MillisecondsUntil(TDeadline deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return 0;
    return left.count() > 60000 ? 60000 : static_cast<int>(left.count());
}

// Runs in the forked child: only async-signal-safe calls until exec.
[[noreturn]] void ExecChild(char* const argv[], int channel, pid_t parent) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);

    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGCHLD}) sigaction(signal, &defaults, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);

    int null = open("/dev/null", O_RDWR);
    if (null < 0) _exit(127);
    dup2(channel >= 0 ? channel : null, 0);
    dup2(channel >= 0 ? channel : null, 1);
    dup2(null, 2);
    syscall(SYS_close_range, 3U, ~0U, 0U);
    execv(argv[0], argv);
    _exit(127);
}

} // namespace

TChildProcess::~TChildProcess() { Finish(); }

bool TChildProcess::Start(const std::vector<std::string>& arguments, bool withChannel) {
    Finish();
    if (arguments.empty()) return false;
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    int pair[2] = {-1, -1};
    if (withChannel && socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return false;

    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) ExecChild(argv.data(), withChannel ? pair[1] : -1, parent);
    if (withChannel) close(pair[1]);
    if (pid < 0) {
        if (withChannel) close(pair[0]);
        return false;
    }
    // Also set from this side, so that the group exists before any kill.
    setpgid(pid, pid);
    Pid = pid;
    Channel = withChannel ? pair[0] : -1;
    Pending.clear();
    return true;
}

bool TChildProcess::Running() const {
    if (Pid <= 0) return false;
    siginfo_t info {};
    if (waitid(P_PID, static_cast<id_t>(Pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return false;
    return info.si_pid == 0;
}

bool TChildProcess::WaitExit(TDeadline deadline) const {
    while (Running()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

int TChildProcess::Finish() {
    CloseChannel();
    if (Pid <= 0) return -1;
    // The child is not yet collected, so its process group id cannot have
    // been reused: this reaches exactly what the child left behind.
    bool exited = !Running();
    kill(-Pid, SIGKILL);
    kill(Pid, SIGKILL);
    int status = 0;
    while (waitpid(Pid, &status, 0) < 0 && errno == EINTR) {
    }
    Pid = -1;
    if (exited && WIFEXITED(status)) return WEXITSTATUS(status);
    return -1;
}

TChildProcess::TReadResult TChildProcess::ReadLine(std::string& line, TDeadline deadline) {
    for (;;) {
        size_t end = Pending.find('\n');
        if (end != std::string::npos) {
            line = Pending.substr(0, end);
            Pending.erase(0, end + 1);
            return rrLine;
        }
        if (Channel < 0) return rrClosed;
        pollfd entry {Channel, POLLIN, 0};
        int ready = poll(&entry, 1, MillisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) {
            if (std::chrono::steady_clock::now() >= deadline) return rrTimedOut;
            continue;
        }
        char buffer[4096];
        ssize_t count = read(Channel, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return rrClosed;
        Pending.append(buffer, static_cast<size_t>(count));
    }
}

bool TChildProcess::WriteLine(const std::string& text) {
    if (Channel < 0) return false;
    std::string data = text + "\n";
    size_t done = 0;
    while (done < data.size()) {
        ssize_t count = send(Channel, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        done += static_cast<size_t>(count);
    }
    return true;
}

void TChildProcess::CloseChannel() {
    if (Channel >= 0) close(Channel);
    Channel = -1;
}
