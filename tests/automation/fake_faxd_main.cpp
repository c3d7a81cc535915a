// A fake pelmor-faxd that the fax client starts in tests: it reports how it
// was started (pid, session, parent) beside its socket, serves one client and
// ends, or ends after ten seconds without one.
#include "fake_fax_service.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

int main() {
    const char* socketPath = std::getenv("PELMOR_FAXD_SOCKET");
    if (!socketPath) return 2;
    std::filesystem::path folder = std::filesystem::path(socketPath).parent_path();
    mkdir(folder.c_str(), 0700);
    std::string infoPath = std::string(socketPath) + ".info";
    if (FILE* info = std::fopen(infoPath.c_str(), "w")) {
        std::fprintf(info, "%d %d %d\n", static_cast<int>(getpid()), static_cast<int>(getsid(0)),
                     static_cast<int>(getppid()));
        std::fclose(info);
    }
    TFakeFaxService service(socketPath);
    service.WaitForClosedClients(1, 10000);
    return 0;
}
