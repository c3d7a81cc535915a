#include "send/newest_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sys/time.h>

namespace {

void SetWriteTime(const std::string& path, time_t seconds) {
    struct timeval times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimes(path.c_str(), times), 0);
}

} // namespace

TEST(NewestFile, PicksTheEntryWrittenLastFilesAndFoldersAlike) {
    TTempDir dir;
    SetWriteTime(dir.WriteFile("old.tif", "x"), 1'700'000'000);
    SetWriteTime(dir.WriteFile("new.tif", "x"), 1'700'000'100);
    EXPECT_EQ(FindNewestFile(dir.Path().string(), false), "new.tif");
    EXPECT_EQ(FindNewestFile(dir.Path().string(), true), dir / "new.tif");
    std::filesystem::create_directory(dir.Path() / "sub");
    SetWriteTime(dir / "sub", 1'700'000'200);
    EXPECT_EQ(FindNewestFile(dir.Path().string(), false), "sub");
}

TEST(NewestFile, TimesWithinTheSameTwoSecondsCountAsEqual) {
    TTempDir dir;
    SetWriteTime(dir.WriteFile("a.tif", "x"), 1'700'000'000);
    SetWriteTime(dir.WriteFile("b.tif", "x"), 1'700'000'001);
    std::string newest = FindNewestFile(dir.Path().string(), false);
    // Equal packed times: whichever the folder lists first stays chosen.
    std::string firstListed = std::filesystem::directory_iterator(dir.Path())->path().filename().string();
    EXPECT_EQ(newest, firstListed);
}

TEST(NewestFile, AMissingOrEmptyFolderGivesNothing) {
    TTempDir dir;
    EXPECT_EQ(FindNewestFile(dir.Path().string(), true), "");
    EXPECT_EQ(FindNewestFile(dir / "missing", true), "");
}

TEST(NewestFile, HistoryNamesCarryTheCompletionMinuteAndTheExtension) {
    EXPECT_EQ(HistoryFileName("/sent/fax0001.tif", 2007, 12, 7, 20, 15), "07-12-07-20-15.tif");
    EXPECT_EQ(HistoryFileName("/sent/noext", 2026, 1, 2, 3, 4), "26-01-02-03-04");
    EXPECT_EQ(HistoryFileName("/sent.d/noext", 2026, 1, 2, 3, 4), "26-01-02-03-04");
}
