#pragma once

#include <string>

// Where a HylaFAX server is and how to use it.
struct THylafaxSettings {
    std::string Host = "localhost";
    int Port = 4559;
    std::string User;            // login name given with USER; empty: the current user's
    std::string Modem;           // modem a job must use; empty: the server chooses
    int TimeoutMs = 30000;       // limit on connecting and on every single read or write
};

// The login name of the user running this process ("fax" when none is known).
std::string CurrentLoginName();
