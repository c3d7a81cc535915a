#include "private_sip.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool CanBind(int type, int port)
{
    int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(port);
    bool ok = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        close(fd);
    return ok;
}

bool TcpAnswers(int port)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(port);
    bool ok = fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        close(fd);
    return ok;
}

// rtpengine's control protocol: a cookie, then a bencoded dictionary.
bool RtpengineAnswers(int port)
{
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    timeval wait{0, 200000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    sockaddr_in address = Loopback(port);
    const char ping[] = "p1 d7:command4:pinge";
    sendto(fd, ping, sizeof ping - 1, 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
    char answer[64] = {};
    ssize_t got = recv(fd, answer, sizeof answer - 1, 0);
    close(fd);
    return got > 0 && std::string(answer).find("pong") != std::string::npos;
}

template <typename TCheck>
bool WaitFor(TCheck check, int seconds)
{
    for (int i = 0; i < seconds * 20; ++i) {
        if (check())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

bool TChildProcess::Start(const std::vector<std::string>& args, const std::string& logPath)
{
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (std::string& arg : copy)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    Pid = fork();
    if (Pid == 0) {
        int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        int null = open("/dev/null", O_RDONLY);
        if (log >= 0) {
            dup2(log, 1);
            dup2(log, 2);
        }
        if (null >= 0)
            dup2(null, 0);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return Pid > 0;
}

int TChildProcess::Wait(int seconds)
{
    if (Pid <= 0)
        return -1;
    for (int i = 0; i < seconds * 20; ++i) {
        int status = 0;
        if (waitpid(Pid, &status, WNOHANG) == Pid) {
            Pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
}

void TChildProcess::Stop()
{
    if (Pid <= 0)
        return;
    kill(Pid, SIGTERM);
    if (Wait(10) == -1 && Pid > 0) {
        kill(Pid, SIGKILL);
        waitpid(Pid, nullptr, 0);
        Pid = -1;
    }
}

int FreePort()
{
    static std::mt19937 random(static_cast<unsigned>(getpid()) * 7919u);
    std::uniform_int_distribution<int> ports(20000, 59000);
    for (int i = 0; i < 200; ++i) {
        int port = ports(random);
        if (CanBind(SOCK_DGRAM, port) && CanBind(SOCK_STREAM, port))
            return port;
    }
    return 0;
}

bool TPrivateKamailio::Start(const std::string& folder, const TKamailioSetup& setup)
{
    SipPort = FreePort();
    std::ifstream in(PELMOR_SIP_TEST_DIR "/kamailio.cfg.in");
    std::stringstream text;
    text << in.rdbuf();
    std::string config = text.str();
    config = Replace(config, "@SIP_PORT@", std::to_string(SipPort));
    config = Replace(config, "@NG_PORT@", std::to_string(setup.NgPort ? setup.NgPort : FreePort()));
    config = Replace(config, "@SIPP_PORT@", std::to_string(setup.SippPort ? setup.SippPort : 9));
    config = Replace(config, "@ALICE_PASSWORD@", setup.AlicePassword);
    config = Replace(config, "@BOB_PASSWORD@", setup.BobPassword);
    config = Replace(config, "@MODULES@", PELMOR_KAMAILIO_MODULES);
    std::string path = folder + "/kamailio.cfg";
    std::ofstream(path) << config;
    if (!Process.Start({"kamailio", "-f", path, "-DD", "-E", "-P", folder + "/kamailio.pid", "-Y", folder},
                       folder + "/kamailio.log"))
        return false;
    return WaitFor([this] { return TcpAnswers(SipPort); }, 20);
}

bool TPrivateRtpengine::Start(const std::string& folder)
{
    Ng = FreePort();
    int low = FreePort() & ~1;
    if (!Process.Start({"rtpengine", "--config-file=none", "--table=-1", "--foreground", "--log-stderr",
                        "--interface=127.0.0.1", "--listen-ng=127.0.0.1:" + std::to_string(Ng),
                        "--port-min=" + std::to_string(low), "--port-max=" + std::to_string(low + 199)},
                       folder + "/rtpengine.log"))
        return false;
    return WaitFor([this] { return RtpengineAnswers(Ng); }, 20);
}

bool TPrivateSipp::Start(const std::string& folder, const std::string& scenario, int port, int calls,
                         const std::vector<std::pair<std::string, std::string>>& keys)
{
    std::vector<std::string> args = {"sipp", "-sf", std::string(PELMOR_SIP_TEST_DIR "/sipp/") + scenario,
                                     "-i", "127.0.0.1", "-p", std::to_string(port), "-m", std::to_string(calls),
                                     "-nostdin", "-timeout", "120", "-timeout_error", "-trace_err",
                                     "-error_file", folder + "/sipp-errors.log"};
    for (const auto& [name, value] : keys) {
        args.push_back("-key");
        args.push_back(name);
        args.push_back(value);
    }
    if (!Process.Start(args, folder + "/sipp.log"))
        return false;
    return WaitFor([port] { return !CanBind(SOCK_DGRAM, port); }, 20);
}
