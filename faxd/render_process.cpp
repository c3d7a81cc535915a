#include "render_process.h"

#include "body_renderer.h"
#include "durable/durable_file.h"
#include "durable/unique_fd.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

bool IsDiskTrouble(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EIO;
}

bool RenderInChildProcess(const std::string& program, TBodyType type, const std::string& bodyPath,
                          const std::string& outPath, int& pages, std::string& error,
                          const std::atomic<bool>* stop, bool* temporary)
{
    pages = 0;
    if (temporary)
        *temporary = false;
    // Above the descriptors the child gets them as, so that each dup2 clears
    // the close-on-exec flag.
    auto openHigh = [](const std::string& path, int flags) {
        TUniqueFd fd(open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600));
        return TUniqueFd(fd ? fcntl(fd.Get(), F_DUPFD_CLOEXEC, 10) : -1);
    };
    TUniqueFd body = openHigh(bodyPath, O_RDONLY);
    if (!body) {
        error = "cannot read the body";
        return false;
    }
    TUniqueFd fax = openHigh(outPath, O_WRONLY | O_CREAT | O_TRUNC);
    if (!fax) {
        if (temporary)
            *temporary = IsDiskTrouble(errno);
        error = "cannot write the fax";
        return false;
    }
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        error = "cannot start the renderer";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, body.Get(), RenderBodyFd);
    posix_spawn_file_actions_adddup2(&actions, fax.Get(), RenderOutFd);
    std::string typeName = BodyTypeName(type);
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>("--render"), typeName.data(),
                               nullptr};
    std::vector<std::string> environment = RenderChildEnvironment();
    std::vector<char*> envp;
    for (std::string& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    pid_t child = -1;
    int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    body.Reset();
    if (spawned != 0) {
        close(out[0]);
        error = "cannot start the renderer";
        return false;
    }

    std::string verdict;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(RenderTimeLimitSeconds);
    bool killed = false;
    for (;;) {
        if ((stop && stop->load()) || std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            killed = true;
            break;
        }
        pollfd wait{out[0], POLLIN, 0};
        int ready = poll(&wait, 1, 200);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        char buffer[512];
        ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        if (verdict.size() < 4096)
            verdict.append(buffer, static_cast<size_t>(got));
    }
    close(out[0]);
    // The verdict is in (or the pipe was closed): the child has a moment to
    // end, never the rest of its time.
    auto grace = std::chrono::steady_clock::now() + std::chrono::seconds(RenderExitGraceSeconds);
    int status = 0;
    for (;;) {
        pid_t ended = waitpid(child, &status, killed ? 0 : WNOHANG);
        if (ended == child || (ended < 0 && errno != EINTR))
            break;
        if (ended == 0 && ((stop && stop->load()) || std::chrono::steady_clock::now() > grace)) {
            kill(child, SIGKILL);
            killed = true;
        } else if (ended == 0) {
            usleep(20 * 1000);
        }
    }
    if (killed) {
        error = stop && stop->load() ? "rendering interrupted" : "rendering took too long";
        std::remove(outPath.c_str());
        return false;
    }
    if (WIFSIGNALED(status)) {
        error = "the renderer crashed (signal " + std::to_string(WTERMSIG(status)) + ")";
        std::remove(outPath.c_str());
        return false;
    }
    while (!verdict.empty() && (verdict.back() == '\n' || verdict.back() == '\r'))
        verdict.pop_back();
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && verdict.rfind("pages ", 0) == 0) {
        pages = std::atoi(verdict.c_str() + 6);
        if (pages > 0 && fsync(fax.Get()) == 0)
            return true;
        if (pages > 0) {
            if (temporary)
                *temporary = IsDiskTrouble(errno);
            verdict = "error cannot write the fax";
        }
    }
    bool retry = verdict.rfind("retry ", 0) == 0;
    if (retry && temporary)
        *temporary = true;
    error = verdict.rfind("error ", 0) == 0 || retry ? verdict.substr(6) : "the renderer failed";
    std::remove(outPath.c_str());
    return false;
}

int RunRenderChild(const std::string& typeName, const std::string& bodyPath, const std::string& outPath)
{
    TBodyType type = BodyTypeFromName(typeName);
    int pages = 0;
    std::string error;
    errno = 0;
    bool ok = type != btUnknown && RenderBody(bodyPath, type, outPath, pages, error);
    if (ok && !SyncFile(outPath)) {
        error = "cannot write the fax";
        ok = false;
    }
    bool diskRefused = !ok && IsDiskTrouble(errno);
    if (type == btUnknown)
        error = "unsupported file type";
    if (ok)
        std::printf("pages %d\n", pages);
    else
        std::printf("%s %s\n", diskRefused ? "retry" : "error", error.c_str());
    std::fflush(stdout);
    return ok ? 0 : 1;
}
