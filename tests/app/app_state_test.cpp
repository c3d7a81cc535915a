#include "app/app_state.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

TEST(AppDir, IsTheExecutablesFolderWhenWritable) {
    TTempDir dir;
    EXPECT_EQ(ResolveAppDir(dir.Path().string() + "/"), dir.Path().string());
}

TEST(AppDir, FallsBackToThePerUserDataFolderWhenTheExecutablesFolderIsReadOnly) {
    if (geteuid() == 0) {
        // root writes everywhere; a folder that does not exist stands for an unwritable one
        TTempDir data;
        EXPECT_EQ(ResolveAppDir("/no/such/folder", data.Path().string()), data.Path().string() + "/pelmor");
        EXPECT_TRUE(std::filesystem::is_directory(data.Path() / "pelmor"));
        return;
    }
    TTempDir exe;
    TTempDir data;
    chmod(exe.Path().c_str(), 0555);
    EXPECT_EQ(ResolveAppDir(exe.Path().string(), data.Path().string()), data.Path().string() + "/pelmor");
    EXPECT_TRUE(std::filesystem::is_directory(data.Path() / "pelmor"));
}

TEST(AppDir, IsNeverAFolderOthersMayWriteTo) {
    for (mode_t mode : {0775, 0757, 01777}) {
        TTempDir exe;
        TTempDir data;
        chmod(exe.Path().c_str(), mode);
        EXPECT_EQ(ResolveAppDir(exe.Path().string(), data.Path().string()), data.Path().string() + "/pelmor")
            << std::oct << mode;
    }
}

TEST(AppDir, AnInstalledProgramFolderIsNeverUsedEvenWhenWritable) {
    // Run as root (as in CI), /usr/bin is writable; the user's files still
    // belong in the per-user data folder.
    for (const char* folder : {"/usr/bin", "/usr/local/bin/", "/bin"}) {
        TTempDir data;
        EXPECT_EQ(ResolveAppDir(folder, data.Path().string()), data.Path().string() + "/pelmor") << folder;
    }
}

TEST(AppDir, PathsAreJoinedBelowIt) {
    InitAppPaths("/opt/fax");
    EXPECT_EQ(TempImagePath, "/opt/fax/tmp0.bmp");
    EXPECT_EQ(TempTextPath, "/opt/fax/tmp0.txt");
    EXPECT_EQ(BookPath(), "/opt/fax/faxnum");
    EXPECT_EQ(BookTempPath(), "/opt/fax/faxnum1");
    EXPECT_EQ(SettingsPath(), "/opt/fax/Pelmor.txt");
}
