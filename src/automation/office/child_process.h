#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

using TDeadline = std::chrono::steady_clock::time_point;

// A program run as a child of this process, in a process group of its own, so
// that it can be ended together with everything it starts. The child is killed
// by the kernel when the thread that started it ends (the application's main
// thread), and by the destructor at the latest: it never outlives its owner.
//
// With a channel, the child's standard input and output are one end of a
// socket pair and lines are exchanged with WriteLine and ReadLine; otherwise
// they are /dev/null. Standard error is always /dev/null.
class TChildProcess {
public:
    TChildProcess() = default;
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // arguments[0] is the program's path. False when it cannot be started.
    bool Start(const std::vector<std::string>& arguments, bool withChannel);

    bool Started() const { return Pid > 0; }
    pid_t ProcessId() const { return Pid; }

    // True while the child has not exited.
    bool Running() const;

    // Waits until the child exits or the deadline passes; false on timeout.
    bool WaitExit(TDeadline deadline) const;

    // Kills whatever is left of the child's process group, collects the child
    // and returns its exit code (-1 when it did not exit on its own).
    int Finish();

    enum TReadResult { rrLine, rrClosed, rrTimedOut };
    // Reads one line (without its line break) from the child's channel.
    TReadResult ReadLine(std::string& line, TDeadline deadline);
    // Writes text followed by a line break; false when the child is gone.
    bool WriteLine(const std::string& text);
    // Closes this end of the channel: the child reads end of file.
    void CloseChannel();

private:
    pid_t Pid = -1;
    int Channel = -1;
    std::string Pending;
};
