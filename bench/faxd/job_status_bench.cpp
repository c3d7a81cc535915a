// How fast the service tells its clients about jobs: a watch connection's
// event after a job's change reaches the disk, and the list of 1,000 queued
// jobs. The service's store, request handler, watch and socket server run
// in this process; the client reads from a real Unix socket.
#include "job_store.h"
#include "job_watch.h"
#include "request_handler.h"
#include "simulated_line.h"
#include "socket_server.h"

#include "durable/durable_file.h"
#include "faxproto/fax_socket.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

namespace {

// The service's parts, serving a socket in a folder of their own.
class TBenchService {
public:
    explicit TBenchService(int jobs)
        : Folder(fs::temp_directory_path() / ("pelmor-status-bench-" + std::to_string(getpid()) + "-" +
                                              std::to_string(jobs))),
          Store((Folder / "data").string())
    {
        fs::remove_all(Folder);
        fs::create_directories(Folder);
        std::string error;
        if (!Store.Open(error) || Server.Listen((Folder / "run/socket").string(), error) != TSocketServer::lrListening)
            throw std::runtime_error(error);
        Watch = std::make_unique<TJobWatch>(
            [this](TConnectionId to, const std::string& line) { return Server.Push(to, line); });
        Store.SetChangeListener([this](const TFaxJob& job) { Watch->Changed(job); });
        Handler = std::make_unique<TRequestHandler>(
            Store, Line, "", TRequestHandler::TJobControl{[] {}, [](const std::string&, std::string&) { return false; }},
            *Watch, [this](TConnectionId to, const std::string& answer) { Server.Push(to, answer); });
        std::string body = (Folder / "memo.txt").string();
        WriteFileDurably(body, "見積書をお送りします\n");
        int fd = open(body.c_str(), O_RDONLY | O_CLOEXEC);
        std::vector<std::string> numbers(static_cast<size_t>(jobs), "0312345678"), ids;
        Store.Accept(fd, "", numbers, ids, error);
        close(fd);
        if (pipe(StopPipe) != 0)
            throw std::runtime_error("pipe");
        Thread = std::thread([this] {
            Server.Run([this](TConnectionId from, const std::string& line) { Handler->Handle(from, line); },
                       StopPipe[0], [this](TConnectionId gone) { Watch->Remove(gone); });
        });
    }
    ~TBenchService()
    {
        char byte = 1;
        if (write(StopPipe[1], &byte, 1) != 1)
            std::abort();
        Thread.join();
        Handler.reset();
        Watch.reset();
        close(StopPipe[0]);
        close(StopPipe[1]);
        std::error_code ignored;
        fs::remove_all(Folder, ignored);
    }

    std::string SocketPath() const { return (Folder / "run/socket").string(); }
    TJobStore& Jobs() { return Store; }

private:
    fs::path Folder;
    TJobStore Store;
    TSimulatedLine Line;
    TSocketServer Server;
    std::unique_ptr<TJobWatch> Watch;
    std::unique_ptr<TRequestHandler> Handler;
    int StopPipe[2] = {-1, -1};
    std::thread Thread;
};

int Connect(const std::string& socketPath)
{
    sockaddr_un address{};
    MakeSocketAddress(socketPath, address);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        std::abort();
    return fd;
}

bool ReadLine(int fd, TLineBuffer& buffer, std::string& line)
{
    char bytes[65536];
    while (!buffer.TakeLine(line)) {
        ssize_t got = recv(fd, bytes, sizeof bytes, 0);
        if (got <= 0)
            return false;
        buffer.Append(bytes, static_cast<size_t>(got));
    }
    return true;
}

// A job's change is saved (written and fsynced) and a watcher reads its
// event line. "after_disk_ms" is the time from the saved change to the line.
void BM_WatchEventAfterSave(benchmark::State& state)
{
    TBenchService service(1);
    int fd = Connect(service.SocketPath());
    SendLine(fd, R"({"op":"watch"})");
    TLineBuffer buffer;
    std::string line;
    ReadLine(fd, buffer, line);
    TFaxJob job = service.Jobs().ActiveJobs().front();
    double afterDisk = 0;
    for (auto _ : state) {
        job.Status = job.Status == "a" ? "b" : "a";
        service.Jobs().Save(job);
        auto saved = TClock::now();
        if (!ReadLine(fd, buffer, line))
            state.SkipWithError("no event");
        afterDisk += std::chrono::duration<double, std::milli>(TClock::now() - saved).count();
    }
    state.counters["after_disk_ms"] = benchmark::Counter(afterDisk, benchmark::Counter::kAvgIterations);
    close(fd);
}
BENCHMARK(BM_WatchEventAfterSave)->UseRealTime();

// The floor: the same record saved the same way, and one line of the same
// length through a connected socket pair into a reused buffer.
void BM_FloorSaveAndSocketLine(benchmark::State& state)
{
    TBenchService service(1);
    TFaxJob job = service.Jobs().ActiveJobs().front();
    std::string record = EncodeJob(job);
    std::string path = service.Jobs().RecordPath(job.Id);
    int pair[2];
    socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair);
    std::string event = record + "\n";
    std::vector<char> received(event.size());
    for (auto _ : state) {
        WriteFileDurably(path, record);
        if (send(pair[0], event.data(), event.size(), 0) != static_cast<ssize_t>(event.size()))
            state.SkipWithError("send");
        for (size_t got = 0; got < event.size();) {
            ssize_t now = recv(pair[1], received.data() + got, received.size() - got, 0);
            if (now <= 0)
                break;
            got += static_cast<size_t>(now);
        }
    }
    close(pair[0]);
    close(pair[1]);
}
BENCHMARK(BM_FloorSaveAndSocketLine)->UseRealTime();

// {"op":"jobs"} with 1,000 queued jobs: the whole answer read by a client.
void BM_ListThousandQueuedJobs(benchmark::State& state)
{
    TBenchService service(1000);
    size_t bytes = 0;
    for (auto _ : state) {
        std::string answer = AskFaxService(service.SocketPath(), R"({"op":"jobs"})");
        bytes = answer.size();
        if (answer.empty())
            state.SkipWithError("no answer");
    }
    state.counters["answer_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ListThousandQueuedJobs)->UseRealTime()->Unit(benchmark::kMillisecond);

// The floor: the same answer's bytes through a connected socket pair into a
// reused buffer.
void BM_FloorThousandJobsBytesOverSocket(benchmark::State& state)
{
    TBenchService service(1000);
    std::string answer = AskFaxService(service.SocketPath(), R"({"op":"jobs"})") + "\n";
    int pair[2];
    socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair);
    std::vector<char> received(answer.size());
    for (auto _ : state) {
        std::thread writer([&] { SendLine(pair[0], std::string_view(answer).substr(0, answer.size() - 1)); });
        for (size_t got = 0; got < answer.size();) {
            ssize_t now = recv(pair[1], received.data() + got, received.size() - got, 0);
            if (now <= 0)
                break;
            got += static_cast<size_t>(now);
        }
        writer.join();
    }
    close(pair[0]);
    close(pair[1]);
}
BENCHMARK(BM_FloorThousandJobsBytesOverSocket)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
