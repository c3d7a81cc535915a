#include "office_fixtures.h"
#include "temp_dir.h"

#include "automation/office/office_profile.h"
#include "send/office_text.h"

#include <filesystem>
#include <gtest/gtest.h>

TEST(OfficeProfile, EachHolderGetsASlotOfItsOwnUntilItLetsGo) {
    TTempDir folder;
    std::string root = folder / "cache/pelmor";
    TProfileSlot first;
    TProfileSlot second;
    ASSERT_TRUE(first.Claim(root));
    ASSERT_TRUE(second.Claim(root));
    EXPECT_NE(first.Path(), second.Path());
    EXPECT_TRUE(std::filesystem::is_directory(first.Path()));

    folder.WriteFile("cache/pelmor/office-profile-0/user/registrymodifications.xcu", "settings");
    std::string kept = first.Path();
    first.Release();
    TProfileSlot third;
    ASSERT_TRUE(third.Claim(root));
    EXPECT_EQ(third.Path(), kept);
    EXPECT_TRUE(std::filesystem::exists(kept + "/user/registrymodifications.xcu"));
    third.Reset();
    EXPECT_TRUE(std::filesystem::is_directory(kept));
    EXPECT_TRUE(std::filesystem::is_empty(kept));

    TProfileSlot nowhere;
    EXPECT_FALSE(nowhere.Claim(""));
    EXPECT_FALSE(nowhere.Claim(folder.WriteFile("a-file", "x") + "/below"));
}

TEST(OfficeProfile, TwoConvertersRunSideBySideEachWithItsKeptProfile) {
    if (!OfficeInstalled()) GTEST_SKIP() << "LibreOffice (soffice) is not installed here";
    ASSERT_FALSE(Samples().Paragraphs.empty()) << "LibreOffice could not make the sample documents";
    TTempDir folder;
    TOfficeOptions options;
    options.FolderRoot = folder.Path().string();
    options.ProfileRoot = folder / "profiles";
    auto first = std::make_shared<TOfficeConverter>(options);
    auto second = std::make_shared<TOfficeConverter>(options);
    {
        TOfficeServersOverride servers(first);
        ASSERT_TRUE(WordToText(Samples().Paragraphs, folder / "first.txt"));
    }
    {
        TOfficeServersOverride servers(second);
        ASSERT_TRUE(WordToText(Samples().Paragraphs, folder / "second.txt"));
    }
    EXPECT_TRUE(first->ResidentRunning());
    EXPECT_TRUE(second->ResidentRunning());
    EXPECT_EQ(ReadFileBytes(folder / "first.txt"), ParagraphsText);
    EXPECT_EQ(ReadFileBytes(folder / "second.txt"), ParagraphsText);
    first->Shutdown();
    second->Shutdown();
    // The profiles stay for the next start.
    EXPECT_FALSE(std::filesystem::is_empty(folder / "profiles/office-profile-0"));
    EXPECT_FALSE(std::filesystem::is_empty(folder / "profiles/office-profile-1"));
}
