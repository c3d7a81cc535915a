#pragma once

#include <string>
#include <vector>

// One reply of the HylaFAX client protocol: a three-digit code and its lines of
// text. A multi-line reply starts with "NNN-" and ends with the first line that
// starts with the same code followed by a space.
struct THylafaxReply {
    int Code = 0;                    // 0: no reply (connection lost or timed out)
    std::vector<std::string> Lines;  // text of each line without the code and separator

    bool Received() const { return Code != 0; }
    bool Positive() const { return Code >= 100 && Code < 400; }
    // The text of the last line (the one that holds the answer proper).
    std::string Text() const { return Lines.empty() ? std::string() : Lines.back(); }
    // "NNN text" of the last line, for error messages.
    std::string Describe() const;
};

// Collects lines into one reply. Feed lines (without CR LF) until Complete().
class THylafaxReplyParser {
public:
    // False when the line cannot belong to a reply (the reply is then unusable).
    bool Feed(const std::string& line);
    bool Complete() const { return Done; }
    const THylafaxReply& Reply() const { return Current; }
    void Reset();

private:
    THylafaxReply Current;
    bool Started = false;
    bool Multi = false;
    bool Done = false;
};

// The numbers of a "227 Entering passive mode (h1,h2,h3,h4,p1,p2)" reply: the
// port only, since the data connection goes to the control connection's peer.
// 0 when the text holds no valid address.
int ParsePassivePort(const std::string& text);

// The file name in "FILE: /tmp/doc12.tif (Opening ...)" or in
// "Transfer complete (FILE: /tmp/doc12.tif)." Empty when there is none.
std::string ParseStoredFileName(const std::string& text);

// The job id in "New job created: jobid: 12 groupid: 12." Empty when none.
std::string ParseNewJobId(const std::string& text);

// Text safe to put between double quotes in a command: no quotes, backslashes
// or control characters.
bool IsQuotableParameter(const std::string& text);
