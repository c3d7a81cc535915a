#pragma once

#include <pwd.h>
#include <string>

// Makes the process the given user for good: its groups, its group and its
// user, with no way back to root. A process that is not root can only go on
// as the user it already is. On failure error says why.
bool BecomeUser(const passwd& user, std::string& error);
