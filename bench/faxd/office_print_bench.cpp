// A one-page Word letter (.docx, Japanese text and a table) to fax pages, the
// way the fax service does it: printed to PDF by its office renderer, then
// the PDF rendered by a renderer child. Cold: a new office renderer (the
// service's first document; LibreOffice starts, with the profile kept from
// before). Warm: the office renderer and its LibreOffice already running.
// Baseline: one `soffice --convert-to pdf` per document (with a kept
// profile), then the same PDF rendering.
#include "office_printer.h"
#include "render_process.h"

#include "automation/office/child_process.h"
#include "automation/office/office_program.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Removed with everything in it at exit.
struct TWorkDir {
    fs::path Path = fs::temp_directory_path() / ("pelmor-office-bench-" + std::to_string(getpid()));
    TWorkDir() { fs::create_directories(Path); }
    ~TWorkDir()
    {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
};

const fs::path& WorkDir()
{
    static TWorkDir dir;
    return dir.Path;
}

bool RunOffice(const std::vector<std::string>& arguments)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        TChildProcess office;
        if (!office.Start(arguments, false))
            return false;
        office.WaitExit(std::chrono::steady_clock::now() + std::chrono::minutes(2));
        if (!IsOfficeRestartRequest(office.Finish()))
            return true;
    }
    return false;
}

std::vector<std::string> OfficeCommand(const std::string& profile)
{
    return {FindOfficeProgram("soffice"), "-env:UserInstallation=" + FileUrlOf(profile), "--headless", "--norestore",
            "--nologo"};
}

// The letter, made once by LibreOffice from HTML.
const std::string& Letter()
{
    static const std::string letter = [] {
        std::string html = (WorkDir() / "letter.html").string();
        std::ofstream out(html);
        out << "<html><head><meta charset=\"utf-8\"></head><body><h1>お見積りのご案内</h1>";
        for (int i = 1; i <= 12; ++i)
            out << "<p>" << i << "行目：いつもお世話になっております。来週の打ち合わせの件でご連絡します。</p>";
        out << "<table border=\"1\"><tr><td>品名</td><td>数量</td><td>単価</td></tr>"
               "<tr><td>部品A</td><td>12</td><td>1,500</td></tr></table></body></html>";
        out.close();
        std::vector<std::string> command = OfficeCommand((WorkDir() / "make-profile").string());
        command.insert(command.end(), {"--convert-to", "docx:MS Word 2007 XML", "--infilter=HTML (StarWriter)",
                                       "--outdir", WorkDir().string(), html});
        RunOffice(command);
        std::string docx = (WorkDir() / "letter.docx").string();
        return fs::exists(docx) ? docx : std::string();
    }();
    return letter;
}

bool Ready(benchmark::State& state)
{
    if (FindOfficeProgram("soffice").empty() || Letter().empty()) {
        state.SkipWithError("LibreOffice is not installed here");
        return false;
    }
    return true;
}

TOfficePrinter::TSettings PrinterSettings()
{
    return {PELMOR_FAXD_PROGRAM, "soffice", (WorkDir() / "service-profile").string(), 600};
}

bool PdfToFax(const std::string& pdf, benchmark::State& state)
{
    int pages = 0;
    std::string error;
    bool ok = RenderInChildProcess(PELMOR_FAXD_PROGRAM, btPdf, pdf, (WorkDir() / "out.tif").string(), pages, error);
    if (!ok || pages != 1)
        state.SkipWithError(("rendering failed: " + error).c_str());
    return ok;
}

void PrintToFax(TOfficePrinter& printer, benchmark::State& state)
{
    std::string pdf = (WorkDir() / "letter.pdf.tmp").string(), error;
    if (!printer.Print(btDocx, Letter(), pdf, error)) {
        state.SkipWithError(("printing failed: " + error).c_str());
        return;
    }
    PdfToFax(pdf, state);
}

void BM_DocxToFaxCold(benchmark::State& state)
{
    if (!Ready(state))
        return;
    {
        TOfficePrinter first(PrinterSettings()); // makes the kept profile
        PrintToFax(first, state);
    }
    for (auto _ : state) {
        TOfficePrinter printer(PrinterSettings());
        PrintToFax(printer, state);
        state.PauseTiming();
        printer.Stop();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DocxToFaxCold)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_DocxToFaxWarm(benchmark::State& state)
{
    if (!Ready(state))
        return;
    TOfficePrinter printer(PrinterSettings());
    PrintToFax(printer, state);
    PrintToFax(printer, state);
    for (auto _ : state)
        PrintToFax(printer, state);
}
BENCHMARK(BM_DocxToFaxWarm)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

// The second half alone: the letter's PDF to fax pages in a renderer child.
void BM_LetterPdfToFax(benchmark::State& state)
{
    if (!Ready(state))
        return;
    TOfficePrinter printer(PrinterSettings());
    std::string pdf = (WorkDir() / "kept.pdf").string(), error;
    if (!printer.Print(btDocx, Letter(), pdf, error)) {
        state.SkipWithError(("printing failed: " + error).c_str());
        return;
    }
    for (auto _ : state)
        PdfToFax(pdf, state);
}
BENCHMARK(BM_LetterPdfToFax)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

void BM_SofficeConvertToPdfPerCall(benchmark::State& state)
{
    if (!Ready(state))
        return;
    std::string profile = (WorkDir() / "convert-profile").string();
    std::vector<std::string> command = OfficeCommand(profile);
    command.insert(command.end(), {"--convert-to", "pdf", "--outdir", (WorkDir() / "converted").string(), Letter()});
    RunOffice(command); // makes the kept profile
    for (auto _ : state) {
        RunOffice(command);
        PdfToFax((WorkDir() / "converted/letter.pdf").string(), state);
    }
}
BENCHMARK(BM_SofficeConvertToPdfPerCall)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
