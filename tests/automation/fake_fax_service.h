#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A stand-in for pelmor-faxd on a real Unix socket, served by its own thread.
// It records every request line as received and answers each with what its
// handler returns: no answer at all when the handler returns nothing, and the
// connection is closed without an answer when it returns HangUp.
class TFakeFaxService {
public:
    using THandler = std::function<std::optional<std::string>(const std::string& line)>;

    // The default handler accepts connect and submit (one job "job-N" per
    // recipient) and refuses everything else.
    static constexpr const char* HangUp = "<hang up>";

    static std::optional<std::string> AcceptAll(const std::string& line);

    TFakeFaxService(std::string socketPath, THandler handler = AcceptAll);
    ~TFakeFaxService();
    TFakeFaxService(const TFakeFaxService&) = delete;
    TFakeFaxService& operator=(const TFakeFaxService&) = delete;

    std::vector<std::string> Lines() const;
    // Waits (at most the given time) until this many clients have come and
    // gone; returns how many have.
    int WaitForClosedClients(int count, int timeoutMs) const;

private:
    void Serve();
    void ServeClient(int client);

    std::string SocketPath;
    THandler Handler;
    int Listener = -1;
    int StopPipe[2] = {-1, -1};
    mutable std::mutex Lock;
    mutable std::condition_variable Changed;
    std::vector<std::string> Received;
    int ClosedClients = 0;
    std::thread Worker;
};
