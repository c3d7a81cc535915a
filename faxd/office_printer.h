#pragma once

#include "body_type.h"

#include "automation/office/child_process.h"

#include <atomic>
#include <string>

// Prints office documents to PDF through LibreOffice. The work is done by a
// renderer process of its own (`pelmor-faxd --render-office`), under the
// limits of every renderer, which stays between jobs so that its LibreOffice
// stays ready, and ends with its LibreOffice after the idle time. It is
// started again for the next document. Used by the job thread only.
class TOfficePrinter {
public:
    struct TSettings {
        std::string Program;     // this executable
        std::string Office;      // LibreOffice: a name on PATH, or a path
        std::string ProfileRoot; // where LibreOffice's profile is kept
        int IdleSeconds = 600;
    };
    explicit TOfficePrinter(TSettings settings) : Settings(std::move(settings)) {}

    // Writes the body (an office document of that type) as PDF at pdfPath.
    // False with a short error; stop (when set) ends the wait early.
    bool Print(TBodyType type, const std::string& bodyPath, const std::string& pdfPath, std::string& error,
               const std::atomic<bool>* stop = nullptr);
    // Ends the renderer and its LibreOffice now.
    void Stop() { Renderer.Finish(); }

private:
    enum TOutcome { poAnswered, poGone, poTimedOut, poStopped };
    TOutcome Ask(const std::string& request, std::string& answer, const std::atomic<bool>* stop);

    TSettings Settings;
    TChildProcess Renderer;
};

// The renderer's side: answers requests "TYPE<tab>BODY<tab>PDF" on standard
// input, one per line, with "ok" or "error TEXT", until its input ends or no
// request comes for idleSeconds. Returns the exit code.
int RunOfficeRenderer(const std::string& office, const std::string& profileRoot, int idleSeconds);
