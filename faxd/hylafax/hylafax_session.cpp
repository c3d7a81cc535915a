#include "hylafax/hylafax_session.h"

namespace {

using TClock = std::chrono::steady_clock;

// What is left of the time a command may take, in whole milliseconds.
int RemainingMs(TClock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

THylafaxReply THylafaxSession::ReadReply() {
    return ReadReply(TClock::now() + std::chrono::milliseconds(Settings.TimeoutMs));
}

THylafaxReply THylafaxSession::ReadReply(TClock::time_point deadline) {
    THylafaxReplyParser parser;
    std::string line;
    size_t received = 0;
    while (!parser.Complete()) {
        // A server that trickles lines or sends without end fails like one that is silent.
        int left = RemainingMs(deadline);
        if (left == 0 || received > MaxReplyBytes || !Control.ReadLine(line, left) || !parser.Feed(line)) {
            Control.Close();
            return {};
        }
        received += line.size() + 2;
    }
    if (!parser.Complete()) {
        Control.Close();
        return {};
    }
    return parser.Reply();
}

THylafaxReply THylafaxSession::Command(const std::string& line) {
    auto deadline = TClock::now() + std::chrono::milliseconds(Settings.TimeoutMs);
    if (!Control.IsOpen() || !Control.WriteAll(line + "\r\n", Settings.TimeoutMs)) {
        Control.Close();
        return {};
    }
    return ReadReply(deadline);
}

bool THylafaxSession::Open(std::string& error, bool& refused) {
    refused = false;
    if (!Control.Connect(Settings.Host, Settings.Port, Settings.TimeoutMs, error)) return false;
    THylafaxReply greeting = ReadReply();
    if (greeting.Code != 220) {
        refused = greeting.Received();
        error = "no greeting from the HylaFAX server at " + Settings.Host + ":" + std::to_string(Settings.Port) +
                " (" + greeting.Describe() + ")";
        Control.Close();
        return false;
    }
    std::string user = Settings.User.empty() ? CurrentLoginName() : Settings.User;
    if (!IsQuotableParameter(user) || user.find(' ') != std::string::npos) {
        refused = true;
        error = "invalid HylaFAX user name";
        Control.Close();
        return false;
    }
    THylafaxReply login = Command("USER " + user);
    if (login.Code == 230) return true;
    refused = login.Received();
    if (login.Code == 331 || login.Code == 332) {
        error = "the HylaFAX server wants a password for user " + user + "; allow the user without one in its hosts.hfaxd";
    } else {
        error = "the HylaFAX server refused user " + user + " (" + login.Describe() + ")";
    }
    Control.Close();
    return false;
}

bool THylafaxSession::Upload(const std::string& bytes, std::string& serverName, std::string& error, bool& refused) {
    refused = false;
    THylafaxReply passive = Command("PASV");
    int port = passive.Code == 227 ? ParsePassivePort(passive.Text()) : 0;
    if (port == 0) {
        refused = passive.Received();
        error = "passive mode refused (" + passive.Describe() + ")";
        return false;
    }
    THylafaxSocket data;
    if (!data.ConnectToPeerPort(Control, port, Settings.TimeoutMs, error)) return false;
    THylafaxReply start = Command("STOT");
    if (start.Code != 150 && start.Code != 125) {
        refused = start.Received();
        error = "upload refused (" + start.Describe() + ")";
        return false;
    }
    if (!data.WriteAll(bytes, Settings.TimeoutMs)) {
        error = "upload interrupted";
        return false;
    }
    data.Close();
    THylafaxReply done = ReadReply();
    if (done.Code != 226 && done.Code != 250) {
        refused = done.Received();
        error = "upload failed (" + done.Describe() + ")";
        return false;
    }
    serverName = ParseStoredFileName(done.Text());
    if (serverName.empty()) serverName = ParseStoredFileName(start.Text());
    if (serverName.empty()) {
        refused = true;
        error = "the server did not name the uploaded file (" + done.Describe() + ")";
        return false;
    }
    return true;
}

void THylafaxSession::Quit() {
    if (!Control.IsOpen()) return;
    // A short wait is enough: nothing depends on the goodbye.
    Control.WriteAll("QUIT\r\n", 1000);
    std::string line;
    Control.ReadLine(line, 1000);
    Control.Close();
}
