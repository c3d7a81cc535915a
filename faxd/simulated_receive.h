#pragma once

#include "inbox.h"

#include <atomic>
#include <string>

// A fax coming in on the simulated line, as a far end calling from `from`
// would send it: the file is rendered (in a child process, as a job's body
// is), sent by T.30 from a calling terminal announcing `from` to an
// answering one, and what the answering end received is filed in the inbox
// with the line "simulated". False with a short English error when the file
// cannot be rendered or the call fails; nothing is filed then.
// stop (when given) ends the rendering early, as the service stops.
bool ReceiveSimulated(const std::string& program, TInbox& inbox, const std::string& bodyPath,
                      const std::string& from, TInboxFax& fax, std::string& error,
                      const std::atomic<bool>* stop = nullptr);
