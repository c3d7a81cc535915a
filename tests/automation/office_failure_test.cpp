// LibreOffice missing, hanging, or its bridge failing: stand-in programs take
// LibreOffice's place.
#include "office_fixtures.h"
#include "temp_dir.h"

#include "automation/automation_error.h"
#include "send/office_text.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace {

std::string MakeScript(const TTempDir& folder, const std::string& name, const std::string& body) {
    std::string path = folder.WriteFile(name, "#!/bin/sh\n" + body);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

std::vector<int> RecordedPids(const std::string& path) {
    std::vector<int> pids;
    std::istringstream in(ReadFileBytes(path));
    for (int pid; in >> pid;) pids.push_back(pid);
    return pids;
}

std::shared_ptr<TOfficeConverter> MakeConverter(const TTempDir& folder, TOfficeOptions options) {
    options.FolderRoot = folder.Path().string();
    return std::make_shared<TOfficeConverter>(options);
}

// Writes its own pid and that of a child it waits for into the pid file.
std::string HangingBody(const std::string& pidFile) {
    return "echo $$ >> '" + pidFile + "'\nsleep 300 &\necho $! >> '" + pidFile + "'\n";
}

} // namespace

TEST(OfficeFailure, WithoutLibreOfficeTheApplicationsCannotBeCreated) {
    TTempDir folder;
    TOfficeOptions options;
    options.Program = (folder.Path() / "bin/soffice").string();
    auto converter = MakeConverter(folder, options);
    TOfficeServersOverride servers(converter);
    std::string document = folder.WriteFile("letter.doc", "whatever");

    EXPECT_THROW(CreateObject("Word.Application"), TAutomationError);
    EXPECT_THROW(CreateObject("Excel.Application"), TAutomationError);
    EXPECT_FALSE(WordToText(document, folder / "out.txt"));
    EXPECT_FALSE(ExcelToText(document, folder / "out.txt"));
    EXPECT_FALSE(std::filesystem::exists(folder / "out.txt"));
}

TEST(OfficeFailure, AHangingConversionIsKilledAtTheTimeLimitWithEverythingItStarted) {
    TTempDir folder;
    std::string pids = folder / "pids";
    TOfficeOptions options;
    options.Program = MakeScript(folder, "office", HangingBody(pids) + "wait\n");
    options.UseResident = false;
    options.TimeLimit = std::chrono::milliseconds(5000);
    auto converter = MakeConverter(folder, options);
    TOfficeServersOverride servers(converter);

    EXPECT_FALSE(WordToText(folder.WriteFile("letter.doc", "whatever"), folder / "out.txt"));
    std::vector<int> started = RecordedPids(pids);
    ASSERT_EQ(started.size(), 2u);
    for (int pid : started) EXPECT_FALSE(ProcessRunning(pid)) << "process " << pid << " was left behind";
    EXPECT_TRUE(ProcessesMentioning(folder.Path().string() + "/pelmor-office-").empty());
}

TEST(OfficeFailure, AResidentLibreOfficeThatStopsAnsweringIsKilledAndTheCallFails) {
    TTempDir folder;
    std::string pids = folder / "pids";
    TOfficeOptions options;
    options.Program = "/bin/true";
    options.Interpreter = MakeScript(folder, "bridge", HangingBody(pids) + "echo READY\nwhile read line; do :; done\n");
    options.TimeLimit = std::chrono::milliseconds(5000);
    auto converter = MakeConverter(folder, options);
    TOfficeServersOverride servers(converter);

    // The first document goes to a LibreOffice of its own (here /bin/true,
    // which writes nothing); the resident one starts for the second.
    std::string book = folder.WriteFile("book.xls", "whatever");
    EXPECT_FALSE(ExcelToText(book, folder / "out.txt"));
    EXPECT_TRUE(converter->ResidentRunning());
    EXPECT_FALSE(ExcelToText(book, folder / "out.txt"));
    EXPECT_FALSE(converter->ResidentRunning());
    std::vector<int> started = RecordedPids(pids);
    ASSERT_EQ(started.size(), 2u);
    for (int pid : started) EXPECT_FALSE(ProcessRunning(pid)) << "process " << pid << " was left behind";
}

TEST(OfficeFailure, WithoutAWorkingBridgeEachDocumentGetsALibreOfficeOfItsOwn) {
    if (!OfficeInstalled()) GTEST_SKIP() << "LibreOffice (soffice) is not installed here";
    ASSERT_FALSE(Samples().Sheet.empty()) << "LibreOffice could not make the sample documents";
    TTempDir folder;
    std::string text = folder / "out.txt";

    // The bridge cannot start at all (python3-uno missing, say).
    TOfficeOptions options;
    options.Interpreter = (folder.Path() / "no-python3").string();
    auto converter = MakeConverter(folder, options);
    {
        TOfficeServersOverride servers(converter);
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(WordToText(Samples().Table, text));
            EXPECT_EQ(ReadFileBytes(text), TableText);
        }
        ASSERT_TRUE(ExcelToText(Samples().Sheet, text));
        EXPECT_EQ(ReadFileBytes(text), SheetText);
        EXPECT_FALSE(WordToText(folder.WriteFile("noise.doc", NotADocument()), text));
        EXPECT_FALSE(WordToText(Samples().Sheet, text));
        EXPECT_FALSE(converter->ResidentRunning());
    }

    // The bridge starts, then dies on the first request.
    options.Interpreter = MakeScript(folder, "bridge", "echo READY\nread line\nexit 1\n");
    converter = MakeConverter(folder, options);
    TOfficeServersOverride servers(converter);
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(WordToText(Samples().Paragraphs, text));
        EXPECT_EQ(ReadFileBytes(text), ParagraphsText);
    }
}
