#pragma once

#include "hylafax/hylafax_reply.h"
#include "hylafax/hylafax_settings.h"
#include "hylafax/hylafax_socket.h"

#include <chrono>
#include <string>

// One logged-in control connection to hfaxd. hfaxd keeps job state per
// connection, so callers open a fresh session for each look at a job.
class THylafaxSession {
public:
    explicit THylafaxSession(const THylafaxSettings& settings) : Settings(settings) {}
    ~THylafaxSession() { Quit(); }

    // Connects, reads the greeting and logs in. error says why it failed;
    // refused tells a server that answered "no" from one that was not reached.
    bool Open(std::string& error, bool& refused);
    // Sends one command line and reads its whole reply (Code 0: the connection
    // failed, the whole reply did not come within the timeout or it was longer
    // than MaxReplyBytes; the session is then closed).
    THylafaxReply Command(const std::string& line);
    // Stores bytes as a new file on the server (PASV, STOT) and gives its name.
    bool Upload(const std::string& bytes, std::string& serverName, std::string& error, bool& refused);
    // Says goodbye and closes; harmless when already closed.
    void Quit();

    static constexpr size_t MaxReplyBytes = 64 * 1024;

private:
    THylafaxReply ReadReply();
    THylafaxReply ReadReply(std::chrono::steady_clock::time_point deadline);

    THylafaxSettings Settings;
    THylafaxSocket Control;
};
