#include "simulated_receive.h"

#include "body_type.h"
#include "render_process.h"
#include "simulated_line.h"

#include <atomic>
#include <filesystem>
#include <random>
#include <sys/stat.h>

bool ReceiveSimulated(const std::string& program, TInbox& inbox, const std::string& bodyPath,
                      const std::string& from, TInboxFax& fax, std::string& error,
                      const std::atomic<bool>* stop) {
    struct stat info {};
    if (bodyPath.empty() || bodyPath[0] != '/' || stat(bodyPath.c_str(), &info) != 0) {
        error = "cannot read the file";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return false;
    }
    TBodyType type = SniffBodyType(bodyPath, error, bodyPath);
    if (type == btUnknown) return false;
    if (IsOfficeBody(type)) {
        // LibreOffice serves the job thread alone.
        error = "a simulated fax is made of a text, picture or PDF file";
        return false;
    }

    std::random_device random;
    std::string stem = inbox.IncomingDir() + "/simulated-" + std::to_string(random());
    std::string sent = stem + ".tx.tif", received = stem + ".rx.tif";
    int pages = 0;
    bool ok = RenderInChildProcess(program, type, bodyPath, sent, pages, error, stop);
    if (ok) {
        // The far end is the calling terminal; this service answers.
        TSimulatedCall call = RunSimulatedCall(sent, received, "pelmor-faxd", false, stop, from);
        if (!call.Completed) {
            error = "the simulated call failed: " + call.Error;
            ok = false;
        } else if (call.PagesReceived != pages) {
            error = "the simulated call delivered " + std::to_string(call.PagesReceived) + " of " +
                    std::to_string(pages) + " pages";
            ok = false;
        }
    }
    if (ok) {
        fax = TInboxFax{};
        fax.Station = from;
        fax.Number = from;
        fax.Line = "simulated";
        fax.Simulated = true;
        ok = inbox.FileReceivedFax(received, fax, error);
    }
    std::error_code ec;
    std::filesystem::remove(sent, ec);
    std::filesystem::remove(received, ec);
    return ok;
}
