// The application's side and the service together: the fax client objects
// that SubmitFax drives start a real pelmor-faxd (from the folder of this
// program, where the build puts every program) and the memo they submit
// comes out as a TIFF in the service's Sent Items.
#include "automation/fax/register_fax_servers.h"
#include "fax_tiff.h"
#include "send/fax_submission.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

// The detached service started for this test: the one whose environment
// names this test's socket.
pid_t FindService(const std::string& socketPath)
{
    std::string wanted = "PELMOR_FAXD_SOCKET=" + socketPath;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::error_code ec;
        if (fs::read_symlink(entry.path() / "exe", ec).filename() != "pelmor-faxd")
            continue;
        std::string environment = ReadFileBytes((entry.path() / "environ").string());
        size_t at = environment.find(wanted);
        if (at != std::string::npos && (at == 0 || environment[at - 1] == '\0')
            && (at + wanted.size() == environment.size() || environment[at + wanted.size()] == '\0'))
            return static_cast<pid_t>(std::stol(name));
    }
    return 0;
}

} // namespace

TEST(ClientMeetsService, MemoSubmittedThroughTheFaxObjectsIsFiledInSentItems)
{
    TTempDir dir;
    std::string socketPath = dir / "run/socket";
    setenv("PELMOR_FAXD_SOCKET", socketPath.c_str(), 1);
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    RegisterFaxServers();

    std::string memo = dir.WriteFile("tmp0.txt", "お世話になっております。\n明日の件、承知しました。\n");
    ASSERT_TRUE(SubmitFax("0312345678", memo));

    fs::path sentItems = dir.Path() / "data/pelmor-faxd/SentItems";
    std::vector<fs::path> faxes;
    for (int i = 0; i < 600 && faxes.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::error_code ec;
        for (const fs::directory_entry& entry : fs::directory_iterator(sentItems, ec))
            faxes.push_back(entry.path());
    }
    pid_t service = FindService(socketPath);
    EXPECT_GT(service, 0) << "the service runs on, detached";
    ASSERT_EQ(faxes.size(), 1u);
    EXPECT_EQ(faxes[0].extension(), ".tif");
    std::vector<TFaxPage> pages;
    std::string error;
    ASSERT_TRUE(ReadFaxTiff(faxes[0].string(), pages, error)) << error;
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].Width, FaxPageWidth);
    EXPECT_GT(pages[0].CountBlack(), 1000);

    if (service > 0) {
        kill(service, SIGTERM);
        for (int i = 0; i < 100 && fs::exists(socketPath); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(fs::exists(socketPath)) << "the service stops on SIGTERM and removes its socket";
    }
}
