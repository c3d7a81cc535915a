#include "service_main.h"

#include "daemon_start.h"
#include "job_runner.h"
#include "job_store.h"
#include "jobs_command.h"
#include "render_process.h"
#include "request_handler.h"
#include "service_options.h"
#include "socket_server.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

int StopPipe[2] = {-1, -1};

void OnStopSignal(int)
{
    char byte = 1;
    ssize_t written = write(StopPipe[1], &byte, 1);
    (void)written;
}

int RenderMain(int argc, char** argv)
{
    // The renderer dies with the service that started it, and a file that
    // makes a decoder run away costs bounded time and memory.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    rlimit cpu{RenderTimeLimitSeconds, RenderTimeLimitSeconds + 5};
    setrlimit(RLIMIT_CPU, &cpu);
#ifndef __SANITIZE_ADDRESS__
    rlimit memory{4UL << 30, 4UL << 30};
    setrlimit(RLIMIT_AS, &memory);
#endif
    if (argc != 5) {
        std::printf("error bad render arguments\n");
        return 2;
    }
    std::string type = argv[2];
    if (type == "text") {
        // Text is painted with Qt's fonts, which need a (window-less) application.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        int qtArgc = 1;
        char* qtArgv[] = {argv[0], nullptr};
        QGuiApplication application(qtArgc, qtArgv);
        return RunRenderChild(type, argv[3], argv[4]);
    }
    return RunRenderChild(type, argv[3], argv[4]);
}

std::string SelfProgram(const char* argv0)
{
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(argv0) : self.string();
}

int Serve(const TServiceOptions& options, const char* argv0)
{
    auto fail = [&](const std::string& error) {
        if (options.Foreground)
            std::fprintf(stderr, "pelmor-faxd: %s\n", error.c_str());
        ReportFailure(error);
        return 1;
    };
    std::string error;
    std::unique_ptr<TFaxLine> line = MakeFaxLine(options.LineName, options.LineOptions, error);
    if (!line)
        return fail(error);
    std::string program = SelfProgram(argv0);
    if (!options.Foreground)
        Detach();

    TSocketServer server;
    switch (server.Listen(options.SocketPath, error)) {
    case TSocketServer::lrListening:
        break;
    case TSocketServer::lrAlreadyRunning:
        if (options.Foreground)
            std::fprintf(stderr, "pelmor-faxd: %s\n", error.c_str());
        ReportReady();
        return 0;
    case TSocketServer::lrFailed:
        return fail(error);
    }
    TJobStore store(options.DataDir);
    if (!store.Open(error))
        return fail(error);
    line->StartReceiving(store.SpoolDir(), store.ReceivedDir());

    if (pipe2(StopPipe, O_CLOEXEC) != 0)
        return fail("cannot create a pipe");
    struct sigaction stop{};
    stop.sa_handler = &OnStopSignal;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGHUP, &stop, nullptr);
    signal(SIGPIPE, SIG_IGN);

    TJobRunner runner(store, *line, program);
    TRequestHandler handler(store, *line, LocalHostName(), [&runner] { runner.Wake(); },
                            [&server](TConnectionId to, const std::string& answer) { server.Push(to, answer); });
    runner.Start();
    if (options.Foreground)
        std::fprintf(stderr, "pelmor-faxd: serving %s on the %s line, data in %s\n", options.SocketPath.c_str(),
                     line->Name().c_str(), options.DataDir.c_str());
    ReportReady();
    server.Run([&handler](TConnectionId from, const std::string& request) { handler.Handle(from, request); },
               StopPipe[0]);
    runner.Stop();
    return 0;
}

} // namespace

int FaxdMain(int argc, char** argv)
{
    if (argc >= 2 && std::string(argv[1]) == "--render")
        return RenderMain(argc, argv);

    std::vector<std::string> args(argv + 1, argv + argc);
    TServiceOptions options;
    std::string error;
    if (!ParseServiceOptions(args, options, error)) {
        std::fprintf(stderr, "pelmor-faxd: %s\n%s", error.c_str(), ServiceUsage().c_str());
        return 2;
    }
    if (options.Help) {
        std::fputs(ServiceUsage().c_str(), stdout);
        return 0;
    }
    if (options.Command == "jobs")
        return PrintJobs(options.SocketPath);
    return Serve(options, argv[0]);
}
