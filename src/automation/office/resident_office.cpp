#include "automation/office/resident_office.h"

#include "automation/office/office_program.h"
#include "automation/office/uno_bridge_script.h"

#include <cstdio>
#include <unistd.h>

namespace {

TDeadline After(std::chrono::milliseconds limit) { return std::chrono::steady_clock::now() + limit; }

} // namespace

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            json += escaped;
        } else {
            json += static_cast<char>(c);
        }
    }
    return json + "\"";
}

bool TResidentOffice::Launch() {
    if (Bridge.Started()) return true;
    ++Starts;
    Ready = false;
    std::string pipeName = "pelmor-office-" + std::to_string(getpid()) + "-" + std::to_string(Starts);
    double idleSeconds = std::chrono::duration<double>(Settings.IdleLimit).count();
    return Bridge.Start({Settings.Interpreter, "-I", "-c", UnoBridgeScript, Settings.Office,
                         FileUrlOf(Settings.ProfileFolder), pipeName, std::to_string(idleSeconds)},
                        true);
}

TResidentOffice::TStart TResidentOffice::Start() {
    if (!Bridge.Started()) return rsNotLaunched;
    if (!Ready) {
        // What the bridge wrote stays readable after it has ended.
        std::string line;
        TChildProcess::TReadResult result = Bridge.ReadLine(line, After(Settings.TimeLimit));
        if (result != TChildProcess::rrLine || line != "READY") {
            Bridge.Finish();
            return result == TChildProcess::rrClosed ? rsNoBridge : rsOfficeFailed;
        }
        Ready = true;
    }
    if (!Bridge.Running()) {
        Bridge.Finish();
        return rsEnded;
    }
    return rsStarted;
}

void TResidentOffice::Stop() {
    if (!Bridge.Started()) return;
    Bridge.CloseChannel();
    if (Ready) Bridge.WaitExit(After(std::chrono::seconds(5)));
    Bridge.Finish();
}

TResidentOffice::TAnswer TResidentOffice::Request(const std::string& request, std::string& text) {
    text.clear();
    if (!Bridge.WriteLine(request)) {
        Bridge.Finish();
        return raGone;
    }
    std::string line;
    switch (Bridge.ReadLine(line, After(Settings.TimeLimit))) {
    case TChildProcess::rrTimedOut:
        Bridge.Finish();
        return raTimedOut;
    case TChildProcess::rrClosed:
        Bridge.Finish();
        return raGone;
    case TChildProcess::rrLine:
        break;
    }
    if (line == "OK" || line.starts_with("OK ")) {
        text = line.size() > 3 ? line.substr(3) : std::string();
        return raOk;
    }
    text = line.starts_with("ERR ") ? line.substr(4) : line;
    return raRefused;
}
