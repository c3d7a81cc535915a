#include "service_main.h"

#include "daemon_start.h"
#include "faxproto/fax_messages.h"
#include "job_endings.h"
#include "inbox.h"
#include "inbox_requests.h"
#include "receive_fetcher.h"
#include "job_runner.h"
#include "job_store.h"
#include "jobs_command.h"
#include "office_printer.h"
#include "receive_command.h"
#include "render_process.h"
#include "request_handler.h"
#include "request_queue.h"
#include "service_options.h"
#include "socket_server.h"

#include "automation/office/office_program.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
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
    // The confinement of every renderer, the office renderer included, and so
    // of the LibreOffice it starts (whatever is added there applies to
    // LibreOffice too): a file that makes a decoder run away costs bounded
    // time and memory, and nothing it makes the renderer do reaches the network.
    std::string error;
    if (!ConfineRenderChild(error)) {
        std::printf("error %s\n", error.c_str());
        return 2;
    }
    if (std::string(argv[1]) == "--render-office") {
        if (argc != 5)
            return 2;
        return RunOfficeRenderer(argv[2], argv[3], std::atoi(argv[4]));
    }
    if (argc != 3) {
        std::printf("error bad render arguments\n");
        return 2;
    }
    std::string type = argv[2];
    // The body and the fax are the descriptors the service opened for us.
    const std::string body = "/proc/self/fd/" + std::to_string(RenderBodyFd);
    const std::string out = "/proc/self/fd/" + std::to_string(RenderOutFd);
    if (type == "text") {
        // Text is painted with Qt's fonts, which need a (window-less) application.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        int qtArgc = 1;
        char* qtArgv[] = {argv[0], nullptr};
        QGuiApplication application(qtArgc, qtArgv);
        return RunRenderChild(type, body, out);
    }
    return RunRenderChild(type, body, out);
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
    TInbox inbox(options.DataDir);
    if (!inbox.Open(error))
        return fail(error);
    line->StartReceiving(inbox.IncomingDir(), inbox);

    // Reports are drawn with Qt's fonts and notifications go through QtDBus:
    // both need an application object, which needs no display.
    const QByteArray desktopPlatform = qgetenv("QT_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char* qtArgv[] = {const_cast<char*>(argv0), nullptr};
    QGuiApplication application(qtArgc, qtArgv);

    if (pipe2(StopPipe, O_CLOEXEC) != 0)
        return fail("cannot create a pipe");
    struct sigaction stop{};
    stop.sa_handler = &OnStopSignal;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGHUP, &stop, nullptr);
    signal(SIGPIPE, SIG_IGN);

    // A watcher waits for events however long the jobs stay quiet.
    TJobWatch watch([&server](TConnectionId to, const std::string& event) {
        server.KeepOpen(to);
        return server.Push(to, event);
    });
    store.SetChangeListener([&watch](const TFaxJob& job) { watch.Changed(job); });
    TJobRunner runner(store, *line, program,
                      {program, options.OfficeProgram, options.DataDir + "/office", options.OfficeIdleSeconds});
    store.SetOfficeCheck([office = options.OfficeProgram] { return !FindOfficeProgram(office).empty(); });
    auto resend = [&store, &runner](const std::string& id, std::string& newId, std::string& resendError) {
        if (!store.Resend(id, newId, resendError))
            return false;
        runner.Wake();
        return true;
    };
    TJobEndings endings(store, options.Notify, resend, [&] {
        StartJobWindow(program, {QStringLiteral("--socket"), QString::fromStdString(options.SocketPath)},
                       desktopPlatform);
    });
    endings.SetOpenFax([&](const std::string& id) {
        StartJobWindow(program,
                       {QStringLiteral("--socket"), QString::fromStdString(options.SocketPath), QStringLiteral("--fax"),
                        QString::fromStdString(id)},
                       desktopPlatform);
    });
    inbox.AddArrivalListener([&watch, &endings](const TInboxFax& fax) {
        watch.Arrived(fax);
        endings.Received(fax);
    });
    runner.SetEndingHandler([&endings](const TFaxJob& job) { endings.Ending(job); });
    runner.SetEndedHandler([&endings](const TFaxJob& job) { endings.Ended(job); });
    TRequestHandler::TJobControl control{[&runner] { runner.Wake(); },
                                         [&runner](const std::string& id, std::string& cancelError) {
                                             return runner.Cancel(id, cancelError);
                                         }};
    TRequestHandler handler(store, *line, LocalHostName(), control, watch,
                            [&server](TConnectionId to, const std::string& answer) { server.Push(to, answer); });
    TInboxRequests inboxRequests(inbox, store, *line, program, [&runner] { runner.Wake(); },
                                 [&server](TConnectionId to, const std::string& answer) { server.Push(to, answer); });
    TReceiveFetcher fetcher(*line, inbox);
    runner.Start();
    fetcher.Start();
    if (options.Foreground)
        std::fprintf(stderr, "pelmor-faxd: serving %s on the %s line, data in %s\n", options.SocketPath.c_str(),
                     line->Name().c_str(), options.DataDir.c_str());
    ReportReady();
    TRequestQueue requests([&handler, &inboxRequests](TConnectionId from, const std::string& request) {
        if (!inboxRequests.Handle(from, request))
            handler.Handle(from, request);
    });
    server.Run(
        [&](TConnectionId from, const std::string& request) {
            if (!requests.Add(from, request))
                server.Push(from, EncodeRefusal("the service is busy"));
        },
        StopPipe[0], [&watch](TConnectionId gone) { watch.Remove(gone); });
    fetcher.Stop();
    runner.Stop();
    return 0;
}

} // namespace

int FaxdMain(int argc, char** argv)
{
    if (argc >= 2 && (std::string(argv[1]) == "--render" || std::string(argv[1]) == "--render-office"))
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
    if (options.Command == "receive")
        return ReceiveOnSimulatedLine(options.SocketPath, options.ReceiveFile, options.From);
    return Serve(options, argv[0]);
}
