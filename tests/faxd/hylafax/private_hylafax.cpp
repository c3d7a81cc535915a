#include "private_hylafax.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

bool HasProgram(const std::string& name) {
    for (const char* dir : {"/usr/sbin", "/usr/bin", "/sbin", "/bin", "/usr/local/sbin", "/usr/local/bin"}) {
        if (access((std::string(dir) + "/" + name).c_str(), X_OK) == 0) return true;
    }
    return false;
}

std::map<std::string, std::string> ReadEnvFile(const std::string& path) {
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

int RunScript(const std::string& arguments) {
    std::string command = std::string("bash '") + PELMOR_PRIVATE_HYLAFAX_SCRIPT + "' " + arguments;
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int FindFreePort(bool udp) {
    int fd = socket(AF_INET, udp ? SOCK_DGRAM : SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

std::string TPrivateHylafax::MissingReason(bool withModems) {
    const char* programs[] = {"faxq", "hfaxd", "faxgetty", "iaxmodem"};
    for (int i = 0; i < (withModems ? 4 : 2); ++i) {
        if (!HasProgram(programs[i])) {
            return std::string(programs[i]) + " is not installed (Debian packages hylafax-server and iaxmodem)";
        }
    }
    if (access("/var/spool/hylafax", F_OK) != 0) return "HylaFAX's spool layout /var/spool/hylafax is missing";
    if (withModems && access("/etc/iaxmodem", F_OK) != 0) return "/etc/iaxmodem is missing";
    return {};
}

bool TPrivateHylafax::Start(const std::string& folder, bool withModems, std::string& error) {
    Stop();
    // The daemons run as uucp, which must reach the folder.
    std::error_code ignored;
    std::filesystem::path parent = std::filesystem::path(folder).parent_path();
    std::filesystem::permissions(parent, std::filesystem::perms::group_exec | std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add, ignored);
    int port = FindFreePort(false);
    std::string arguments = "start '" + folder + "' " + std::to_string(port) + " --owner " + std::to_string(getpid());
    if (withModems) {
        int udpA = FindFreePort(true);
        int udpB = FindFreePort(true);
        while (udpB == udpA) udpB = FindFreePort(true);
        arguments += " --modems " + std::to_string(udpA) + " " + std::to_string(udpB);
    }
    Folder = folder;
    int rc = RunScript(arguments);
    if (rc != 0) {
        error = "private_hylafax.sh start failed with status " + std::to_string(rc);
        Stop();
        return false;
    }
    auto values = ReadEnvFile(folder + "/instance.env");
    SpoolFolder = values["SPOOL"];
    SendingModem = values["MODEM_A"];
    ReceivingModem = values["MODEM_B"];
    PortNumber = std::atoi(values["PORT"].c_str());
    if (SpoolFolder.empty() || PortNumber <= 0) {
        error = "private_hylafax.sh wrote no usable instance.env";
        Stop();
        return false;
    }
    return true;
}

void TPrivateHylafax::Stop() {
    if (Folder.empty()) return;
    RunScript("stop '" + Folder + "'");
    Folder.clear();
    PortNumber = 0;
}
