#include "user_switch.h"

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <unistd.h>

bool BecomeUser(const passwd& user, std::string& error) {
    if (geteuid() != 0) {
        if (getuid() == user.pw_uid && geteuid() == user.pw_uid) return true;
        error = "the backend runs as uid " + std::to_string(geteuid()) + ", not as root or " + user.pw_name +
                " (install it owned by root with mode 0700)";
        return false;
    }
    if (initgroups(user.pw_name, user.pw_gid) != 0 || setgid(user.pw_gid) != 0 || setuid(user.pw_uid) != 0) {
        error = std::string("cannot become ") + user.pw_name + ": " + std::strerror(errno);
        return false;
    }
    if (user.pw_uid != 0 && (setuid(0) == 0 || geteuid() == 0)) {
        error = std::string("root could be regained after becoming ") + user.pw_name;
        return false;
    }
    return true;
}
