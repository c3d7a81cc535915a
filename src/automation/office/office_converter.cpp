#include "automation/office/office_converter.h"

#include "automation/automation_error.h"
#include "automation/office/child_process.h"
#include "automation/office/document_sniffer.h"
#include "automation/office/office_profile.h"
#include "automation/office/office_program.h"
#include "automation/office/printer_text.h"
#include "automation/office/resident_office.h"
#include "durable/durable_file.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Comma separated, quoted with ", UTF-8, every text cell quoted, cells as
// shown, no formulas.
const char* const CsvFilter = "Text - txt - csv (StarCalc)";
const char* const CsvOptions = "44,34,76,1,,0,true,false,true,false,false";
const char* const TextFilter = "Text (encoded)";
const char* const TextOptions = "UTF8";

// A document of any kind is printed: the bridge and --convert-to pick the
// PDF export of the document's own kind.
const char* const PdfFilter = "pdf";

// What a document of the kind is converted to: extension, filter, options.
struct TOutput {
    const char* Extension;
    const char* Filter;
    const char* Options;
};
TOutput OutputOf(TOfficeKind kind) {
    switch (kind) {
    case okWriter:
        return {"txt", TextFilter, TextOptions};
    case okCalc:
        return {"csv", CsvFilter, CsvOptions};
    case okAny:
        break;
    }
    return {"pdf", PdfFilter, ""};
}

// Comma separated, quoted with ", UTF-8, from the first line.
const char* const CsvInputOptions = "44,34,76,1";

std::string LimitText(std::chrono::milliseconds limit) {
    return "LibreOffice did not answer within " +
           std::to_string(std::chrono::duration_cast<std::chrono::seconds>(limit).count()) + " s";
}

// The source's own extension, when it is a plain one, helps LibreOffice tell
// the file's type.
std::string CopyName(const std::string& source, const std::string& format) {
    std::string extension = format.empty() ? std::filesystem::path(source).extension().string() : "." + format;
    if (extension.size() < 2 || extension.size() > 9) return "source";
    for (size_t i = 1; i < extension.size(); ++i) {
        if (!std::isalnum(static_cast<unsigned char>(extension[i]))) return "source";
        extension[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(extension[i])));
    }
    return "source" + extension;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream out;
    out << in.rdbuf();
    bytes = out.str();
    return true;
}

// Through a fresh file that takes path's place: a symbolic link planted at
// path is replaced, never written through.
void WriteWholeFile(const std::string& path, const std::string& bytes) {
    if (!ReplaceFileDurably(path, bytes, 0600)) throw TAutomationError("cannot write " + path);
}

std::string WithoutByteOrderMark(std::string text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    return text;
}

} // namespace

TOfficeDocument::~TOfficeDocument() {
    try {
        Close();
    } catch (...) {
    }
}

void TOfficeDocument::SaveText(const std::string& destination) {
    if (DocumentKind == okAny) throw TAutomationError("no text format for this document");
    std::string raw;
    if (!ReadWholeFile(SaveAs(OutputOf(DocumentKind).Extension, OutputOf(DocumentKind).Filter,
                              OutputOf(DocumentKind).Options),
                       raw))
        throw TAutomationError("LibreOffice wrote nothing");
    WriteWholeFile(destination,
                   DocumentKind == okWriter ? WithoutByteOrderMark(raw) : LayoutPrinterText(ParseSheetCsv(raw)));
}

void TOfficeDocument::SavePdf(const std::string& destination) {
    std::string pdf = SaveAs("pdf", PdfFilter, "");
    std::error_code ec;
    if (!std::filesystem::copy_file(pdf, destination, std::filesystem::copy_options::overwrite_existing, ec))
        throw TAutomationError(ec ? "cannot write " + destination : "LibreOffice wrote nothing");
}

std::string TOfficeDocument::SaveAs(const std::string& extension, const std::string& filter,
                                    const std::string& options) {
    if (Folder.empty()) throw TAutomationError("the document is closed");
    return Owner->Output(*this, extension, filter, options);
}

void TOfficeDocument::Close() {
    if (Folder.empty()) return;
    Owner->CloseDocument(*this);
}

TOfficeConverter::TOfficeConverter(TOfficeOptions options) : Settings(std::move(options)), Folder(Settings.FolderRoot) {}

TOfficeConverter::~TOfficeConverter() { Shutdown(); }

bool TOfficeConverter::Installed() const { return !FindOfficeProgram(Settings.Program).empty(); }

std::unique_ptr<TOfficeDocument> TOfficeConverter::Open(TOfficeKind kind, const std::string& source,
                                                        const std::string& format) {
    if (!Installed()) throw TAutomationError("LibreOffice is not installed");
    std::string folder = Folder.Subfolder("document-" + std::to_string(++NextDocument));
    if (folder.empty()) throw TAutomationError("cannot make a working folder");
    std::unique_ptr<TOfficeDocument> document(
        new TOfficeDocument(shared_from_this(), kind, folder, folder + "/" + CopyName(source, format)));
    if (document->Source.ends_with(".csv")) {
        document->InputFilter = CsvFilter;
        document->InputOptions = CsvInputOptions;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(source, ec) ||
        !std::filesystem::copy_file(source, document->Source, ec))
        throw TAutomationError("cannot open " + source);
    if (!FileLooksLikeDocument(document->Source)) throw TAutomationError(source + " is not a document");
    if (OpenResident(*document)) return document;
    // No resident LibreOffice yet (or it failed): this document gets one of
    // its own, which is as quick as starting the resident one, and the
    // resident one starts afterwards, in the background, for the next.
    try {
        ConvertOnce(*document);
    } catch (...) {
        LaunchResident();
        throw;
    }
    LaunchResident();
    return document;
}

bool TOfficeConverter::StartResident() {
    if (!Installed()) return false;
    if (!ResidentRunning()) LaunchResident();
    return ResidentOffice() != nullptr;
}

void TOfficeConverter::LaunchResident() {
    if (!Settings.UseResident || std::chrono::steady_clock::now() < ResidentRetryAt) return;
    if (!Resident) {
        // The resident LibreOffice keeps a profile apart from the one-off
        // conversions: LibreOffice finds a running instance by its profile, and
        // one started while the last one-off conversion is still exiting would
        // hand its start request to that dying instance and never answer.
        std::string profile = ProfileFolder();
        if (profile.empty()) return;
        profile += "/resident";
        Resident = std::make_unique<TResidentOffice>(TResidentOffice::TSettings {
            Settings.Interpreter, FindOfficeProgram(Settings.Program), profile, Settings.TimeLimit,
            Settings.IdleLimit});
    }
    SecureOfficeProfile(Resident->ProfileFolder());
    if (!Resident->Launch()) ResidentRetryAt = std::chrono::steady_clock::now() + Settings.IdleLimit;
}

TResidentOffice* TOfficeConverter::ResidentOffice() {
    if (!Resident) return nullptr;
    switch (Resident->Start()) {
    case TResidentOffice::rsStarted:
        return Resident.get();
    case TResidentOffice::rsNotLaunched:
    case TResidentOffice::rsEnded:
        return nullptr;
    case TResidentOffice::rsOfficeFailed:
        // A kept profile that LibreOffice cannot start with is made anew.
        Profile.Reset();
        break;
    case TResidentOffice::rsNoBridge:
        break;
    }
    // Most often python3-uno is missing; try again after a while only.
    ResidentRetryAt = std::chrono::steady_clock::now() + Settings.IdleLimit;
    return nullptr;
}

std::string TOfficeConverter::ProfileFolder() {
    if (!Settings.ProfileRoot.empty() && Profile.Claim(Settings.ProfileRoot)) return Profile.Path();
    return Folder.Subfolder("profile");
}

bool TOfficeConverter::OpenResident(TOfficeDocument& document) {
    TResidentOffice* resident = ResidentOffice();
    if (!resident) return false;
    std::string answer;
    const char* kind = document.DocumentKind == okWriter ? "writer" : document.DocumentKind == okCalc ? "calc" : "any";
    std::string request = std::string("{\"op\":\"open\",\"path\":") + JsonString(document.Source) +
                          ",\"kind\":\"" + kind + "\",\"filter\":" + JsonString(document.InputFilter) +
                          ",\"options\":" + JsonString(document.InputOptions) + "}";
    switch (resident->Request(request, answer)) {
    case TResidentOffice::raOk:
        document.ResidentId = std::atoi(answer.c_str());
        document.ResidentGeneration = resident->Generation();
        return true;
    case TResidentOffice::raRefused:
        throw TAutomationError("LibreOffice cannot open the document: " + answer);
    case TResidentOffice::raTimedOut:
        throw TAutomationError(LimitText(Settings.TimeLimit));
    case TResidentOffice::raGone:
        break;
    }
    return false;
}

void TOfficeConverter::ConvertOnce(TOfficeDocument& document) {
    std::string office = FindOfficeProgram(Settings.Program);
    std::string profile = ProfileFolder();
    std::string output = document.Folder + "/once";
    TOutput made = OutputOf(document.DocumentKind);
    std::string format = std::string(made.Extension) + (document.DocumentKind == okAny ? std::string()
                                                         : std::string(":") + made.Filter + ":" + made.Options);
    if (office.empty() || profile.empty()) throw TAutomationError("LibreOffice is not installed");
    SecureOfficeProfile(profile);
    std::vector<std::string> arguments = {office, "-env:UserInstallation=" + FileUrlOf(profile), "--headless",
                                          "--invisible", "--nologo", "--norestore", "--nolockcheck", "--nodefault",
                                          "--convert-to", format, "--outdir", output, document.Source};
    if (!document.InputFilter.empty())
        arguments.insert(arguments.end() - 1, "--infilter=" + document.InputFilter + ":" + document.InputOptions);
    TDeadline deadline = std::chrono::steady_clock::now() + Settings.TimeLimit;
    // A new profile makes LibreOffice ask to be started again once.
    for (int attempt = 0; attempt < 3; ++attempt) {
        TChildProcess child;
        if (!child.Start(arguments, false))
            throw TAutomationError("cannot start LibreOffice");
        if (!child.WaitExit(deadline)) throw TAutomationError(LimitText(Settings.TimeLimit));
        int exitCode = child.Finish();
        if (IsOfficeRestartRequest(exitCode)) continue;
        // LibreOffice ends with 0 even when it cannot load a document; any
        // other end is its own failure, perhaps the kept profile's.
        if (exitCode != 0) Profile.Reset();
        break;
    }
    std::string converted =
        output + "/" + std::filesystem::path(document.Source).stem().string() + "." + made.Extension;
    std::error_code ec;
    // LibreOffice writes nothing when it cannot load the file or the file is
    // not of the kind asked for.
    if (!std::filesystem::exists(converted, ec)) throw TAutomationError("LibreOffice cannot open the document");
    document.Converted = converted;
}

std::string TOfficeConverter::Output(TOfficeDocument& document, const std::string& extension,
                                     const std::string& filter, const std::string& options) {
    if (document.ResidentId != 0) {
        std::string path = document.Folder + "/output." + extension;
        bool sameResident = Resident && Resident->Running() && Resident->Generation() == document.ResidentGeneration;
        if (sameResident) {
            std::string answer;
            std::string request = "{\"op\":\"save\",\"id\":" + std::to_string(document.ResidentId) +
                                  ",\"path\":" + JsonString(path) + ",\"filter\":" + JsonString(filter) +
                                  ",\"options\":" + JsonString(options) + "}";
            switch (Resident->Request(request, answer)) {
            case TResidentOffice::raOk:
                return path;
            case TResidentOffice::raRefused:
                throw TAutomationError("LibreOffice cannot save the document: " + answer);
            case TResidentOffice::raTimedOut:
                throw TAutomationError(LimitText(Settings.TimeLimit));
            case TResidentOffice::raGone:
                break;
            }
        }
        // The resident LibreOffice has gone since the document was opened.
        document.ResidentId = 0;
        ConvertOnce(document);
    }
    return document.Converted;
}

void TOfficeConverter::CloseDocument(TOfficeDocument& document) {
    if (document.ResidentId != 0 && Resident && Resident->Running() &&
        Resident->Generation() == document.ResidentGeneration) {
        std::string answer;
        Resident->Request("{\"op\":\"close\",\"id\":" + std::to_string(document.ResidentId) + "}", answer);
    }
    document.ResidentId = 0;
    std::error_code ec;
    std::filesystem::remove_all(document.Folder, ec);
    document.Folder.clear();
}

void TOfficeConverter::Shutdown() {
    Resident.reset();
    ResidentRetryAt = {};
    Profile.Release();
    Folder.Remove();
}

bool TOfficeConverter::ResidentRunning() const { return Resident && Resident->Running(); }

std::shared_ptr<TOfficeConverter> DefaultOfficeConverter() {
    static const std::shared_ptr<TOfficeConverter> converter = [] {
        TOfficeOptions options;
        options.ProfileRoot = DefaultProfileRoot();
        return std::make_shared<TOfficeConverter>(options);
    }();
    return converter;
}
