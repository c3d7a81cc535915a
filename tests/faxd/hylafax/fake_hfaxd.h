#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A scripted stand-in for hfaxd on 127.0.0.1, for the client's handling of
// replies the real server rarely gives: each command is answered with the
// reply set for its first word (or its whole text), "" meaning no answer at
// all. PASV and STOT really take the upload. Serves one connection at a time.
class TFakeHfaxd {
public:
    explicit TFakeHfaxd(std::string greeting = "220 fake server ready.");
    ~TFakeHfaxd();

    void On(const std::string& command, const std::string& reply);
    // Sends the lines of every reply this far apart.
    void PauseBetweenLines(int ms) { LinePauseMs = ms; }
    int Port() const { return ListenPort; }
    std::vector<std::string> Commands() const;
    std::string Uploaded() const;
    int Connections() const { return ConnectionCount; }

private:
    void Serve();
    void Talk(int fd);
    std::string ReplyFor(const std::string& command) const;

    std::string Greeting;
    std::map<std::string, std::string> Replies;
    std::vector<std::string> Received;
    std::string UploadedBytes;
    mutable std::mutex Lock;
    int ListenFd = -1;
    int DataFd = -1;
    int ListenPort = 0;
    std::atomic<bool> Stopping{false};
    std::atomic<int> ConnectionCount{0};
    std::atomic<int> LinePauseMs{0};
    std::thread Worker;
};
