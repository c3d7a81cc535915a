#pragma once

#include <string>
#include <string_view>
#include <sys/un.h>

// Where the fax service listens and how lines travel on its socket.

// The socket path both sides agree on: $PELMOR_FAXD_SOCKET when set, else
// $XDG_RUNTIME_DIR/pelmor-faxd/socket, else /tmp/pelmor-faxd-<uid>/socket.
std::string DefaultFaxSocketPath();

// The folder that holds the socket ("." for a bare name).
std::string FaxSocketFolder(const std::string& socketPath);

// Whether the socket's folder is a real folder owned by this user. A folder
// that others may enter is told apart, since the service can close it and a
// client must not trust it.
enum TSocketFolderState { sfsMissing, sfsPrivate, sfsOpenToOthers, sfsNotOurs };
TSocketFolderState SocketFolderState(const std::string& folder);

// The address of a socket path; false when the path is empty or too long.
bool MakeSocketAddress(const std::string& socketPath, sockaddr_un& address);

// The longest line either side accepts.
constexpr size_t MaxFaxLineBytes = 1 << 20;

// Gathers received bytes and hands out whole lines (without "\n" or a
// trailing "\r").
class TLineBuffer {
public:
    void Append(const char* bytes, size_t count) { Pending.append(bytes, count); }
    bool TakeLine(std::string& line);
    size_t PendingBytes() const { return Pending.size(); }

private:
    std::string Pending;
};

// Writes text and "\n" to a blocking socket; false when the peer is gone or
// does not take it in time.
bool SendLine(int fd, std::string_view text);

// One request line to the service at socketPath, blocking up to timeoutSeconds
// for the answer; the answer line, or empty when no service answers.
std::string AskFaxService(const std::string& socketPath, const std::string& request, int timeoutSeconds = 30);
