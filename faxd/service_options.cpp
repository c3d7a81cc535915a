#include "service_options.h"

#include "faxproto/fax_socket.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string Home()
{
    std::string home = Environment("HOME");
    return home.empty() ? "/tmp" : home;
}

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The service's own settings (the others belong to a line).
bool IsServiceSetting(const std::string& name)
{
    for (const char* known : {"data-dir", "socket", "line", "config", "office", "office-idle", "notify"})
        if (name == known)
            return true;
    return false;
}

// Settings by their long option name without dashes ("line", "hylafax-host").
using TSettings = std::map<std::string, std::string>;

bool ReadConfig(const std::string& path, bool mustExist, TSettings& settings, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        if (mustExist) {
            error = "cannot read " + path;
            return false;
        }
        return true;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty())
            continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos) {
            error = path + ":" + std::to_string(number) + ": expected KEY = VALUE";
            return false;
        }
        settings.emplace(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
    }
    return true;
}

} // namespace

std::string DefaultDataDir()
{
    std::string base = Environment("XDG_DATA_HOME");
    if (base.empty())
        base = Home() + "/.local/share";
    return base + "/pelmor-faxd";
}

std::string DefaultConfigPath()
{
    std::string base = Environment("XDG_CONFIG_HOME");
    if (base.empty())
        base = Home() + "/.config";
    return base + "/pelmor-faxd/config";
}

bool ParseServiceOptions(const std::vector<std::string>& args, TServiceOptions& options, std::string& error)
{
    TSettings given;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if ((arg == "jobs" || arg == "receive") && options.Command.empty()) {
            options.Command = arg;
            continue;
        }
        if (options.Command == "receive" && options.ReceiveFile.empty() && !arg.empty() && arg.rfind("--", 0) != 0) {
            options.ReceiveFile = arg;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.Help = true;
            continue;
        }
        if (arg == "--foreground") {
            options.Foreground = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0 || arg.size() == 2) {
            error = "unexpected argument: " + arg;
            return false;
        }
        std::string name = arg.substr(2), value;
        size_t equals = name.find('=');
        if (equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = "option --" + name + " needs a value";
            return false;
        }
        if (name == "from") {
            options.From = value;
            continue;
        }
        bool known = IsServiceSetting(name);
        size_t dash = name.find('-');
        bool lineOption = !known && dash != std::string::npos && IsFaxLineName(name.substr(0, dash));
        if (!known && !lineOption) {
            error = "unknown option: --" + name;
            return false;
        }
        if (name == "sip-password") {
            error = "--sip-password is not taken on the command line (it would show in the process list); "
                    "put sip-password = ... in the config file";
            return false;
        }
        given[name] = value;
    }

    options.ConfigPath = given.count("config") ? given["config"] : DefaultConfigPath();
    TSettings file;
    if (!ReadConfig(options.ConfigPath, given.count("config") > 0, file, error))
        return false;
    // The command line wins over the file.
    for (auto& [name, value] : file)
        given.emplace(name, value);

    options.DataDir = given.count("data-dir") ? given["data-dir"] : DefaultDataDir();
    options.SocketPath = given.count("socket") ? given["socket"] : DefaultFaxSocketPath();
    if (given.count("line"))
        options.LineName = given["line"];
    if (!IsFaxLineName(options.LineName)) {
        error = "unknown line: " + options.LineName + " (known: " + FaxLineNames() + ")";
        return false;
    }
    std::string prefix = options.LineName + "-";
    for (auto& [name, value] : given) {
        if (name.rfind(prefix, 0) == 0)
            options.LineOptions[name.substr(prefix.size())] = value;
        else if (!IsServiceSetting(name)) {
            size_t dash = name.find('-');
            if (dash == std::string::npos || !IsFaxLineName(name.substr(0, dash))) {
                error = "unknown setting in " + options.ConfigPath + ": " + name;
                return false;
            }
        }
    }
    if (given.count("office"))
        options.OfficeProgram = given["office"];
    if (given.count("office-idle")) {
        char* end = nullptr;
        long seconds = std::strtol(given["office-idle"].c_str(), &end, 10);
        if (given["office-idle"].empty() || *end != '\0' || seconds < 1 || seconds > 86400) {
            error = "--office-idle takes seconds, 1 to 86400";
            return false;
        }
        options.OfficeIdleSeconds = static_cast<int>(seconds);
    }
    if (given.count("notify")) {
        const std::string& notify = given["notify"];
        if (notify != "on" && notify != "off") {
            error = "notify must be on or off, not " + notify;
            return false;
        }
        options.Notify = notify == "on";
    }
    if (options.Command == "receive" && (options.ReceiveFile.empty() || options.From.empty())) {
        error = "receive needs a FILE and --from NUMBER";
        return false;
    }
    if (options.DataDir.empty() || options.SocketPath.empty()) {
        error = "empty path";
        return false;
    }
    std::error_code ec;
    options.DataDir = std::filesystem::absolute(options.DataDir, ec).lexically_normal().string();
    options.SocketPath = std::filesystem::absolute(options.SocketPath, ec).lexically_normal().string();
    if (!options.ReceiveFile.empty())
        options.ReceiveFile = std::filesystem::absolute(options.ReceiveFile, ec).lexically_normal().string();
    return true;
}

std::string ServiceUsage()
{
    return "Usage: pelmor-faxd [jobs | receive FILE --from NUMBER] [options]\n"
           "The local fax service of Pelmor. Without a command it serves (detached unless\n"
           "--foreground); `pelmor-faxd jobs` lists the jobs of the running service;\n"
           "`pelmor-faxd receive FILE --from NUMBER` has the running service, on the\n"
           "simulated line, receive FILE as a fax from NUMBER (into Inbox/).\n"
           "\n"
           "  --data-dir DIR   folder of spool/, SentItems/, Received/, Failed/, jobs.log\n"
           "                   (default $XDG_DATA_HOME/pelmor-faxd)\n"
           "  --socket PATH    the service's socket (default $XDG_RUNTIME_DIR/pelmor-faxd/socket)\n"
           "  --line NAME      the fax line: " + FaxLineNames() + " (default simulated: nothing\n"
           "                   leaves the machine)\n"
           "  --LINE-KEY VALUE an option of that line, e.g. --hylafax-host HOST or\n"
           "                   --simulated-pace real, --simulated-busy NUMBER,...\n"
           "  --notify on|off  desktop notifications when a job ends (default on)\n"
           "  --office PROGRAM LibreOffice, which prints office documents (default soffice)\n"
           "  --office-idle S  LibreOffice ends after S seconds without a document (default 600)\n"
           "  --config FILE    settings as KEY = VALUE lines (default\n"
           "                   $XDG_CONFIG_HOME/pelmor-faxd/config)\n"
           "  --foreground     stay attached to the terminal\n"
           "  --help           this text\n";
}
