#pragma once

#include "automation/office/child_process.h"

#include <chrono>
#include <string>

// One headless LibreOffice kept running between conversions, driven through
// UNO by a small Python bridge (uno_bridge.py) that answers one request per
// line. The bridge and LibreOffice form one process group, killed as a whole
// when a request passes the time limit; the bridge ends LibreOffice and itself
// when this side closes the channel, dies, or stays silent for the idle limit.
class TResidentOffice {
public:
    struct TSettings {
        std::string Interpreter;
        std::string Office;
        std::string ProfileFolder;
        std::chrono::milliseconds TimeLimit;
        std::chrono::milliseconds IdleLimit;
    };
    explicit TResidentOffice(TSettings settings) : Settings(std::move(settings)) {}
    ~TResidentOffice() { Stop(); }

    // Starts the bridge, which starts LibreOffice, without waiting for them;
    // false when the bridge cannot be run. Nothing happens while one is
    // launched already.
    bool Launch();
    bool Launched() const { return Bridge.Started(); }
    const std::string& ProfileFolder() const { return Settings.ProfileFolder; }
    // True while the launched bridge has not ended.
    bool Running() const { return Bridge.Running(); }

    // Waits until the launched bridge is ready for requests.
    enum TStart { rsStarted, rsNotLaunched, rsEnded, rsNoBridge, rsOfficeFailed };
    // rsEnded: it was ready, and has ended since (idle); rsNoBridge: it ended
    // without a word (no python3-uno, say); rsOfficeFailed: LibreOffice did
    // not come up within the time limit.
    TStart Start();

    // Ends LibreOffice and the bridge: politely when they are up, at once
    // while they are still starting.
    void Stop();

    // Counts the starts, so that a document opened by an earlier instance is
    // recognised as gone.
    unsigned Generation() const { return Starts; }

    enum TAnswer { raOk, raRefused, raTimedOut, raGone };
    // Sends one request; text receives the answer after "OK " or "ERR ".
    TAnswer Request(const std::string& request, std::string& text);

private:
    TSettings Settings;
    TChildProcess Bridge;
    unsigned Starts = 0;
    bool Ready = false;
};

// The text as a JSON string literal.
std::string JsonString(const std::string& text);
