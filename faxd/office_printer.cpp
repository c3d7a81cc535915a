#include "office_printer.h"

#include "render_process.h"
#include "text_encoding.h"

#include "automation/automation_error.h"
#include "automation/office/office_converter.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <poll.h>
#include <unistd.h>

namespace {

using TClock = std::chrono::steady_clock;

// Longest wait for LibreOffice inside the renderer: well within the
// renderer's own time limit, so that a hanging LibreOffice is reported as
// such and the renderer stays.
constexpr std::chrono::seconds OfficeTimeLimit(RenderTimeLimitSeconds / 2);

// A CSV file may be in any encoding the service reads as text; LibreOffice
// is given it as UTF-8.
bool WriteCsvAsUtf8(const std::string& bodyPath, const std::string& path, std::string& error)
{
    std::ifstream in(bodyPath, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), utf8;
    if (static_cast<long long>(bytes.size()) > MaxTextBytes || !DecodeText(bytes, utf8)) {
        error = "text in an unknown encoding";
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!(out << utf8)) {
        error = "cannot write the fax";
        return false;
    }
    return true;
}

std::string PrintOne(TOfficeConverter& converter, const std::string& request)
{
    size_t tab1 = request.find('\t'), tab2 = request.find('\t', tab1 == std::string::npos ? tab1 : tab1 + 1);
    if (tab1 == std::string::npos || tab2 == std::string::npos)
        return "error bad request";
    TBodyType type = BodyTypeFromName(request.substr(0, tab1));
    std::string body = request.substr(tab1 + 1, tab2 - tab1 - 1), pdf = request.substr(tab2 + 1);
    if (!IsOfficeBody(type))
        return "error unsupported file type";
    std::string source = body, error;
    if (type == btCsv) {
        source = pdf + ".csv";
        if (!WriteCsvAsUtf8(body, source, error))
            return "error " + error;
    }
    try {
        converter.Open(okAny, source, BodyTypeName(type))->SavePdf(pdf);
    } catch (const TAutomationError& failure) {
        error = failure.what();
    }
    if (source != body)
        std::remove(source.c_str());
    for (char& c : error)
        if (c == '\n' || c == '\r')
            c = ' ';
    return error.empty() ? "ok" : "error " + error;
}

} // namespace

TOfficePrinter::TOutcome TOfficePrinter::Ask(const std::string& request, std::string& answer,
                                             const std::atomic<bool>* stop)
{
    if (!Renderer.Running()) {
        Renderer.Finish();
        if (!Renderer.Start({Settings.Program, "--render-office", Settings.Office, Settings.ProfileRoot,
                             std::to_string(Settings.IdleSeconds)},
                            true))
            return poGone;
    }
    if (!Renderer.WriteLine(request))
        return poGone;
    TClock::time_point deadline = TClock::now() + std::chrono::seconds(RenderTimeLimitSeconds);
    for (;;) {
        if (stop && stop->load())
            return poStopped;
        TClock::time_point now = TClock::now();
        if (now >= deadline)
            return poTimedOut;
        switch (Renderer.ReadLine(answer, std::min(deadline, now + std::chrono::milliseconds(200)))) {
        case TChildProcess::rrLine:
            return poAnswered;
        case TChildProcess::rrClosed:
            return poGone;
        case TChildProcess::rrTimedOut:
            break;
        }
    }
}

bool TOfficePrinter::Print(TBodyType type, const std::string& bodyPath, const std::string& pdfPath,
                           std::string& error, const std::atomic<bool>* stop)
{
    if (bodyPath.find_first_of("\t\n") != std::string::npos || pdfPath.find_first_of("\t\n") != std::string::npos) {
        error = "the spool's path holds a tab or a line break";
        return false;
    }
    std::string request = std::string(BodyTypeName(type)) + "\t" + bodyPath + "\t" + pdfPath, answer;
    TOutcome outcome = Ask(request, answer, stop);
    // A renderer that ended (idle) just as the request came gets one more try.
    if (outcome == poGone) {
        Renderer.Finish();
        outcome = Ask(request, answer, stop);
    }
    if (outcome != poAnswered) {
        Renderer.Finish();
        std::remove(pdfPath.c_str());
        error = outcome == poStopped    ? "rendering interrupted"
                : outcome == poTimedOut ? "rendering took too long"
                                        : "the office renderer failed";
        return false;
    }
    if (answer == "ok")
        return true;
    std::remove(pdfPath.c_str());
    error = answer.starts_with("error ") ? answer.substr(6) : "the office renderer failed";
    return false;
}

int RunOfficeRenderer(const std::string& office, const std::string& profileRoot, int idleSeconds)
{
    TOfficeOptions options;
    options.Program = office;
    options.ProfileRoot = profileRoot;
    options.TimeLimit = OfficeTimeLimit;
    options.IdleLimit = std::chrono::seconds(idleSeconds);
    auto converter = std::make_shared<TOfficeConverter>(options);
    std::string request;
    for (;;) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        int ready = poll(&input, 1, idleSeconds * 1000);
        if (ready == 0)
            break; // idle: LibreOffice ends with the converter
        if (ready < 0 || !std::getline(std::cin, request))
            break;
        std::cout << PrintOne(*converter, request) << std::endl;
    }
    converter->Shutdown();
    return 0;
}
