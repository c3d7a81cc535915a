#pragma once

#include "fax_line.h"
#include "inbox.h"
#include "job_store.h"
#include "socket_server.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// Answers the operations on received faxes (faxproto/inbox_messages.h):
// inbox, mark, delete, forward (new jobs of a fax's own pages) and, on the
// simulated line, receive. A receive runs on a thread of its own, one at a
// time, and answers when its call is over.
class TInboxRequests {
public:
    using TAnswer = std::function<void(TConnectionId, const std::string&)>;

    // program: this executable (it renders what receive sends); onAccepted
    // runs after forward made jobs.
    TInboxRequests(TInbox& inbox, TJobStore& store, const TFaxLine& line, std::string program,
                   std::function<void()> onAccepted, TAnswer answer);
    ~TInboxRequests();
    TInboxRequests(const TInboxRequests&) = delete;
    TInboxRequests& operator=(const TInboxRequests&) = delete;

    // False when the line is no request of these (the caller answers it).
    bool Handle(TConnectionId from, const std::string& request);

private:
    std::string Forward(const TForwardRequest& request);
    std::string StartReceive(TConnectionId from, const TReceiveRequest& request);

    TInbox& Inbox;
    TJobStore& Store;
    const TFaxLine& Line;
    std::string Program;
    std::function<void()> OnAccepted;
    TAnswer Answer;
    std::mutex Guard;
    std::thread Receiver;
    bool Receiving = false;
    std::atomic<bool> Stopping{false};
};
