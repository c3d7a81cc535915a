#include "kill_point.h"

#include <csignal>
#include <cstdlib>
#include <cstring>

void KillPoint(const char* name)
{
    static const char* chosen = std::getenv("PELMOR_FAXD_KILL_AT");
    if (chosen && std::strcmp(chosen, name) == 0)
        std::raise(SIGKILL);
}
