// The resident LibreOffice ends when idle, at shutdown, and with the
// application, and leaves nothing running behind.
#include "office_fixtures.h"
#include "temp_dir.h"

#include "automation/office/child_process.h"
#include "send/office_text.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace {

const char* const HelperFolderVariable = "PELMOR_OFFICE_HELPER_FOLDER";
const char* const HelperDocumentVariable = "PELMOR_OFFICE_HELPER_DOCUMENT";

// Waits (at most a generous while) for the condition; the result is the
// condition's last value.
template <class F>
bool Eventually(F condition) {
    auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

class OfficeLifetime : public ::testing::Test {
protected:
    void SetUp() override {
        if (!OfficeInstalled()) GTEST_SKIP() << "LibreOffice (soffice) is not installed here";
        ASSERT_FALSE(Samples().Paragraphs.empty()) << "LibreOffice could not make the sample documents";
    }
    std::vector<int> OfficeProcesses() const { return ProcessesMentioning(Folder.Path().string() + "/pelmor-office-"); }
    std::shared_ptr<TOfficeConverter> MakeConverter(TOfficeOptions options = {}) const {
        options.FolderRoot = Folder.Path().string();
        return std::make_shared<TOfficeConverter>(options);
    }

    TTempDir Folder;
};

} // namespace

TEST_F(OfficeLifetime, TheResidentOfficeEndsWhenIdleAndStartsAgainWhenNeeded) {
    TOfficeOptions options;
    options.IdleLimit = std::chrono::seconds(1);
    auto converter = MakeConverter(options);
    TOfficeServersOverride servers(converter);
    std::string text = Folder / "out.txt";

    ASSERT_TRUE(WordToText(Samples().Paragraphs, text));
    EXPECT_TRUE(converter->ResidentRunning());
    EXPECT_TRUE(Eventually([&] { return OfficeProcesses().empty() && !converter->ResidentRunning(); }));

    std::filesystem::remove(text);
    ASSERT_TRUE(WordToText(Samples().Paragraphs, text));
    EXPECT_EQ(ReadFileBytes(text), ParagraphsText);
    EXPECT_TRUE(converter->ResidentRunning());
}

TEST_F(OfficeLifetime, ShutdownEndsTheResidentOfficeAndRemovesItsFolder) {
    auto converter = MakeConverter();
    TOfficeServersOverride servers(converter);
    ASSERT_TRUE(WordToText(Samples().Paragraphs, Folder / "out.txt"));
    ASSERT_TRUE(converter->StartResident());
    ASSERT_TRUE(WordToText(Samples().Paragraphs, Folder / "out.txt"));
    EXPECT_FALSE(OfficeProcesses().empty());

    converter->Shutdown();
    EXPECT_FALSE(converter->ResidentRunning());
    EXPECT_TRUE(OfficeProcesses().empty());
    for (const auto& entry : std::filesystem::directory_iterator(Folder.Path()))
        EXPECT_NE(entry.path().filename().string().rfind("pelmor-office-", 0), 0u) << entry.path() << " was left";
}

TEST_F(OfficeLifetime, TheOfficeDiesWithTheApplication) {
    // This executable, run again, plays the application: it starts the
    // resident LibreOffice and is then killed without a chance to clean up.
    setenv(HelperFolderVariable, Folder.Path().c_str(), 1);
    setenv(HelperDocumentVariable, Samples().Paragraphs.c_str(), 1);
    TChildProcess application;
    bool started = application.Start({"/proc/self/exe", "--gtest_also_run_disabled_tests",
                                      "--gtest_filter=OfficeLifetimeHelper.DISABLED_HoldTheResidentOffice"},
                                     false);
    unsetenv(HelperFolderVariable);
    unsetenv(HelperDocumentVariable);
    ASSERT_TRUE(started);
    ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(Folder / "ready") || !application.Running(); }));
    ASSERT_TRUE(std::filesystem::exists(Folder / "ready"));
    EXPECT_GE(OfficeProcesses().size(), 2u); // the bridge and LibreOffice

    application.Finish(); // SIGKILL
    EXPECT_TRUE(Eventually([&] { return OfficeProcesses().empty(); }));
}

TEST(OfficeLifetimeHelper, DISABLED_HoldTheResidentOffice) {
    const char* folder = std::getenv(HelperFolderVariable);
    const char* document = std::getenv(HelperDocumentVariable);
    if (!folder || !document) GTEST_SKIP() << "run only by OfficeLifetime.TheOfficeDiesWithTheApplication";
    TOfficeOptions options;
    options.FolderRoot = folder;
    auto converter = std::make_shared<TOfficeConverter>(options);
    auto opened = converter->Open(okWriter, document);
    ASSERT_TRUE(converter->StartResident());
    TTempDir marker;
    std::filesystem::copy_file(marker.WriteFile("ready", ""), std::string(folder) + "/ready");
    std::this_thread::sleep_for(std::chrono::minutes(2));
}
