#include "office_fixtures.h"

#include "automation/office/child_process.h"
#include "automation/office/office_program.h"
#include "temp_dir.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace

bool OfficeInstalled() { return !FindOfficeProgram("soffice").empty(); }

std::vector<std::string> ConvertWithOffice(const std::vector<std::string>& sources, const std::string& format,
                                           const std::string& inputFilter) {
    if (sources.empty()) return {};
    TTempDir profile;
    std::string folder = std::filesystem::path(sources.front()).parent_path().string();
    std::vector<std::string> arguments = {FindOfficeProgram("soffice"),
                                          "-env:UserInstallation=" + FileUrlOf(profile.Path().string()),
                                          "--headless", "--norestore", "--nologo", "--convert-to", format,
                                          "--infilter=" + inputFilter, "--outdir", folder};
    arguments.insert(arguments.end(), sources.begin(), sources.end());
    for (int attempt = 0; attempt < 3; ++attempt) {
        TChildProcess office;
        if (!office.Start(arguments, false)) return {};
        office.WaitExit(std::chrono::steady_clock::now() + std::chrono::minutes(2));
        if (!IsOfficeRestartRequest(office.Finish())) break;
    }
    std::string extension(".");
    extension += format.substr(0, format.find(':'));
    std::vector<std::string> written;
    for (const std::string& source : sources) {
        std::filesystem::path result = std::filesystem::path(source).replace_extension(extension);
        if (!std::filesystem::exists(result)) return {};
        written.push_back(result.string());
    }
    return written;
}

std::vector<std::string> MakeWordDocuments(const std::string& folder,
                                           const std::vector<std::pair<std::string, std::string>>& namedBodies) {
    std::vector<std::string> sources;
    for (const auto& [name, body] : namedBodies) {
        std::string path = folder + "/" + name + ".html";
        WriteFile(path, "<html><head><meta charset=\"utf-8\"></head><body>" + body + "</body></html>");
        sources.push_back(path);
    }
    return ConvertWithOffice(sources, "doc:MS Word 97", "HTML (StarWriter)");
}

std::string MakeWordDocument(const std::string& folder, const std::string& name, const std::string& htmlBody) {
    std::vector<std::string> made = MakeWordDocuments(folder, {{name, htmlBody}});
    return made.empty() ? std::string() : made.front();
}

std::vector<std::string> MakeExcelWorkbooks(const std::string& folder,
                                            const std::vector<std::pair<std::string, std::string>>& namedCsv) {
    std::vector<std::string> sources;
    for (const auto& [name, csv] : namedCsv) {
        std::string path = folder + "/" + name + ".csv";
        WriteFile(path, csv);
        sources.push_back(path);
    }
    // Comma separated, quoted with ", UTF-8, from line 1, Japanese conventions.
    return ConvertWithOffice(sources, "xls:MS Excel 97", "Text - txt - csv (StarCalc):44,34,76,1,,1041");
}

std::string NotADocument() {
    std::string bytes;
    for (int round = 0; round < 16; ++round)
        for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
    return bytes;
}

std::vector<int> ProcessesMentioning(const std::string& text) {
    std::vector<int> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        int pid = std::stoi(name);
        std::string commandLine = ReadAll(entry.path().string() + "/cmdline");
        if (commandLine.find(text) != std::string::npos && ProcessRunning(pid)) found.push_back(pid);
    }
    return found;
}

bool ProcessRunning(int pid) {
    if (kill(pid, 0) != 0) return false;
    std::string stat = ReadAll("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

#include "automation/office/office_servers.h"

namespace {

TTempDir& SharedTempDir() {
    static TTempDir folder;
    return folder;
}

} // namespace

std::shared_ptr<TOfficeConverter> SharedConverter() {
    static std::shared_ptr<TOfficeConverter> converter = [] {
        TOfficeOptions options;
        options.FolderRoot = SharedTempDir().Path().string();
        return std::make_shared<TOfficeConverter>(options);
    }();
    return converter;
}

const std::string& SharedFolder() {
    static const std::string folder = [] {
        std::filesystem::path path = SharedTempDir().Path() / "documents";
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return folder;
}

TOfficeServersOverride::TOfficeServersOverride(const std::shared_ptr<TOfficeConverter>& converter)
    : Word("Word.Application", WordServerFactory(converter)), Excel("Excel.Application", ExcelServerFactory(converter)) {}

const char* const ParagraphsText = "拝啓　ファクスのテストです。\nSecond line, ASCII only.\n３行目：全角ＡＢＣ\n";
const char* const TableText = "表の前\n名前\n番号\n山田　太郎\n0312345678\n表の後\n";
// Text to the left, numbers and dates to the right, full-width characters
// taking two columns.
const char* const SheetText = "品名       数量 単価  日付\n"
                              "りんご       12 150.5 2024-04-01\n"
                              "ＡＢＣ全角    3  1200 2024-12-25\n"
                              "plain        -4  0.25 2025-01-02\n";

const TOfficeSamples& Samples() {
    static const TOfficeSamples samples = [] {
        TOfficeSamples made;
        std::vector<std::string> documents = MakeWordDocuments(
            SharedFolder(),
            {{"paragraphs", "<p>拝啓　ファクスのテストです。</p><p>Second line, ASCII only.</p><p>３行目：全角ＡＢＣ</p>"},
             {"table", "<p>表の前</p><table border=\"1\"><tr><td>名前</td><td>番号</td></tr>"
                       "<tr><td>山田　太郎</td><td>0312345678</td></tr></table><p>表の後</p>"},
             {"empty", ""}});
        if (documents.size() == 3) {
            made.Paragraphs = documents[0];
            made.Table = documents[1];
            made.Empty = documents[2];
        }
        std::vector<std::string> books = MakeExcelWorkbooks(
            SharedFolder(), {{"sheet", "品名,数量,単価,日付\nりんご,12,150.5,2024-04-01\n"
                                       "ＡＢＣ全角,3,1200,2024-12-25\nplain,-4,0.25,2025-01-02\n"}});
        if (books.size() == 1) made.Sheet = books[0];
        return made;
    }();
    return samples;
}
