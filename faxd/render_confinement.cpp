#include "render_confinement.h"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>

extern char** environ;

namespace {

bool Limit(int resource, rlim_t soft, rlim_t hard)
{
    rlimit limit{soft, hard};
    return setrlimit(resource, &limit) == 0;
}

#if defined(__x86_64__)
constexpr unsigned ThisArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr unsigned ThisArch = AUDIT_ARCH_AARCH64;
#endif

// Refuses the creation of any socket but a local one (EACCES).
bool RefuseNetworkSockets()
{
#ifdef __NR_socket
    constexpr unsigned Load = BPF_LD | BPF_W | BPF_ABS;
    sock_filter program[] = {
        BPF_STMT(Load, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ThisArch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(Load, offsetof(seccomp_data, nr)),
        // The x32 numbering of the same calls on x86_64.
        BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, 0x40000000u, 4, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_socket, 0, 4),
        BPF_STMT(Load, offsetof(seccomp_data, args[0])),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AF_UNIX, 2, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EACCES),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog filter{static_cast<unsigned short>(sizeof program / sizeof program[0]), program};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0
        && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
#else
    return false;
#endif
}

} // namespace

bool ConfineRenderChild(std::string& error)
{
    // The renderer dies with the service that started it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // A fax that grows too large fails its write instead of killing the child.
    signal(SIGXFSZ, SIG_IGN);
    bool limited = Limit(RLIMIT_CPU, RenderTimeLimitSeconds, RenderTimeLimitSeconds + 5)
        && Limit(RLIMIT_FSIZE, RenderFileSizeLimit, RenderFileSizeLimit)
        && Limit(RLIMIT_NOFILE, RenderDescriptorLimit, RenderDescriptorLimit);
#ifndef __SANITIZE_ADDRESS__
    limited = limited && Limit(RLIMIT_AS, 4UL << 30, 4UL << 30);
#endif
    if (!limited) {
        error = std::string("cannot limit the renderer: ") + std::strerror(errno);
        return false;
    }
    // A network namespace of its own has no way out; an unprivileged user
    // gets one together with a user namespace where the kernel allows it.
    if (unshare(CLONE_NEWNET) != 0 && unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0)
        RefuseNetworkSockets();
    return true;
}

std::vector<std::string> RenderChildEnvironment()
{
    std::vector<std::string> kept = {"PATH=/usr/local/bin:/usr/bin:/bin", "LANG=C.UTF-8", "LC_ALL=C.UTF-8"};
    for (char** entry = environ; *entry; ++entry) {
        std::string variable = *entry;
        for (const char* prefix : {"HOME=", "ASAN_OPTIONS=", "UBSAN_OPTIONS=", "LSAN_OPTIONS="})
            if (variable.rfind(prefix, 0) == 0)
                kept.push_back(variable);
    }
    return kept;
}
