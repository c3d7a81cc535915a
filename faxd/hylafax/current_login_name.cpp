#include "hylafax/hylafax_settings.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

std::string CurrentLoginName() {
    // The password database first: the environment may be inherited from
    // another user (su without -l).
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name &&
        *found->pw_name) {
        return found->pw_name;
    }
    for (const char* name : {"LOGNAME", "USER"}) {
        const char* value = std::getenv(name);
        if (value && *value) return value;
    }
    return "fax";
}
