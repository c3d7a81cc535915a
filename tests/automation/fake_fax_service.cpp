#include "fake_fax_service.h"

#include "faxproto/fax_json.h"

#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

std::optional<std::string> TFakeFaxService::AcceptAll(const std::string& line) {
    static int nextJob = 0;
    std::optional<TJsonValue> request = DecodeJson(line);
    const TJsonValue* op = request ? request->Find("op") : nullptr;
    if (op && op->IsString() && op->AsString() == "connect")
        return R"({"ok":true,"service":"pelmor-faxd","protocol":1})";
    if (op && op->IsString() && op->AsString() == "submit") {
        const TJsonValue* recipients = request->Find("recipients");
        std::string jobs;
        for (size_t i = 0; recipients && recipients->IsArray() && i < recipients->AsArray().size(); ++i)
            jobs += (jobs.empty() ? "\"job-" : ",\"job-") + std::to_string(++nextJob) + "\"";
        return R"({"ok":true,"jobs":[)" + jobs + "]}";
    }
    return R"({"ok":false,"error":"unknown request"})";
}

TFakeFaxService::TFakeFaxService(std::string socketPath, THandler handler)
    : SocketPath(std::move(socketPath)), Handler(std::move(handler)) {
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    SocketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    Listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (Listener < 0 || bind(Listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(Listener, 8) != 0 || pipe(StopPipe) != 0)
        throw std::runtime_error("the fake fax service cannot listen at " + SocketPath);
    Worker = std::thread([this] { Serve(); });
}

TFakeFaxService::~TFakeFaxService() {
    char stop = 'x';
    ssize_t written = write(StopPipe[1], &stop, 1);
    (void)written;
    Worker.join();
    close(Listener);
    close(StopPipe[0]);
    close(StopPipe[1]);
    unlink(SocketPath.c_str());
}

std::vector<std::string> TFakeFaxService::Lines() const {
    std::lock_guard guard(Lock);
    return Received;
}

int TFakeFaxService::WaitForClosedClients(int count, int timeoutMs) const {
    std::unique_lock guard(Lock);
    Changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return ClosedClients >= count; });
    return ClosedClients;
}

void TFakeFaxService::Serve() {
    while (true) {
        pollfd waits[2] = {{Listener, POLLIN, 0}, {StopPipe[0], POLLIN, 0}};
        if (poll(waits, 2, -1) < 0) continue;
        if (waits[1].revents) return;
        int client = accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        ServeClient(client);
        close(client);
        std::lock_guard guard(Lock);
        ++ClosedClients;
        Changed.notify_all();
    }
}

void TFakeFaxService::ServeClient(int client) {
    std::string pending;
    while (true) {
        pollfd waits[2] = {{client, POLLIN, 0}, {StopPipe[0], POLLIN, 0}};
        if (poll(waits, 2, -1) < 0) continue;
        if (waits[1].revents) return;
        char buffer[4096];
        ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        pending.append(buffer, static_cast<size_t>(n));
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            {
                std::lock_guard guard(Lock);
                Received.push_back(line);
            }
            std::optional<std::string> answer = Handler(line);
            if (answer == HangUp) return;
            if (answer) {
                *answer += '\n';
                if (send(client, answer->data(), answer->size(), MSG_NOSIGNAL) < 0) return;
            }
        }
    }
}
