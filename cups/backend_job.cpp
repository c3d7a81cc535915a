#include "backend_job.h"

#include "inbox_name.h"
#include "user_switch.h"

#include "durable/durable_file.h"

#include <cups/backend.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* DeviceLine = "direct pelmor:/ \"Pelmor FAX\" \"Pelmor FAX\" \"MFG:Pelmor;MDL:FAX;CMD:PDF;\" \"\"\n";
constexpr size_t PdfHeaderWindow = 1024;

int Refuse(std::FILE* log, const std::string& why) {
    std::fprintf(log, "ERROR: %s\n", why.c_str());
    std::fflush(log);
    return CUPS_BACKEND_FAILED;
}

// Reads the whole document; false on a read error or when it is too large.
bool ReadDocument(int fd, std::string& bytes, std::string& error) {
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = std::string("cannot read the document: ") + std::strerror(errno);
            return false;
        }
        if (n == 0) return true;
        if (bytes.size() + static_cast<size_t>(n) > MaxDocumentBytes) {
            error = "the document is larger than " + std::to_string(MaxDocumentBytes / (1024 * 1024)) + " MB";
            return false;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// A name in folder that is not taken yet: the printed name, else with " (2)", " (3)"...
std::string FreeName(const std::string& folder, const std::string& name) {
    std::string path = folder + "/" + name;
    std::string stem = name.substr(0, name.size() - 4);
    for (int i = 2; Exists(path) && i < 1000; ++i) path = folder + "/" + stem + " (" + std::to_string(i) + ").pdf";
    return path;
}

} // namespace

bool LooksLikePdf(const std::string& bytes) {
    return bytes.substr(0, PdfHeaderWindow).find("%PDF-") != std::string::npos;
}

int RunBackend(int argc, const char* const* argv, int input, std::FILE* out, std::FILE* log) {
    if (argc == 1) {
        std::fputs(DeviceLine, out);
        std::fflush(out);
        return CUPS_BACKEND_OK;
    }
    if (argc != 6 && argc != 7) {
        std::fprintf(log, "Usage: %s job-id user title copies options [file]\n", argv[0]);
        return CUPS_BACKEND_FAILED;
    }
    int jobId = std::atoi(argv[1]);
    std::string userName = argv[2];
    std::string title = argv[3];

    // The user first: nothing is read or written for a user we cannot serve.
    errno = 0;
    passwd* entry = getpwnam(userName.c_str());
    if (!entry) return Refuse(log, "Unknown user \"" + userName + "\": the fax document is not kept");
    passwd user = *entry;
    std::string name = user.pw_name;
    std::string home = user.pw_dir ? user.pw_dir : "";
    user.pw_name = name.data();
    if (home.empty() || home[0] != '/' || !IsFolder(home))
        return Refuse(log, "User \"" + userName + "\" has no home folder: the fax document is not kept");

    // The document is opened while we may still be root: the spool file is not the user's.
    int fd = input;
    if (argc == 7) {
        fd = open(argv[6], O_RDONLY | O_CLOEXEC);
        if (fd < 0) return Refuse(log, std::string("cannot open the document: ") + std::strerror(errno));
    }
    std::string bytes;
    std::string error;
    bool read = ReadDocument(fd, bytes, error);
    if (fd != input) close(fd);
    if (!read) return Refuse(log, error);
    if (!LooksLikePdf(bytes)) return Refuse(log, "The document is not a PDF: the fax printer takes PDF only");

    if (!BecomeUser(user, error)) return Refuse(log, error);

    // From here on a cancelled job still finishes its file or leaves none.
    std::signal(SIGTERM, SIG_IGN);
    std::string folder = InboxFolderUnder(home + "/.local/share");
    if (!MakeFolder(folder, 0700)) return Refuse(log, "cannot create " + folder + ": " + std::strerror(errno));
    std::string path = FreeName(folder, InboxFileName(std::time(nullptr), jobId, title));
    if (!WriteFileDurably(path, bytes)) return Refuse(log, "cannot write " + path + ": " + std::strerror(errno));
    std::fprintf(log, "INFO: The document is waiting in Pelmor for %s\n", name.c_str());
    std::fflush(log);
    return CUPS_BACKEND_OK;
}
