#include <gtest/gtest.h>

#include <filesystem>

#include "image/folder_match.h"
#include "temp_dir.h"

TEST(FolderHasNameLike, FindsAnyKindOfEntry)
{
    TTempDir dir;
    EXPECT_FALSE(FolderHasNameLike(dir.Path().string(), "scanline"));
    dir.WriteFile("readme.txt", "x");
    EXPECT_FALSE(FolderHasNameLike(dir.Path().string(), "scanline"));

    dir.WriteFile(".myscanline-hidden", "");
    EXPECT_TRUE(FolderHasNameLike(dir.Path().string(), "scanline"));
}

TEST(FolderHasNameLike, FoldersAndCaseCount)
{
    TTempDir dir;
    std::filesystem::create_directory(dir.Path() / "Fast_ScanLine_Marker");
    EXPECT_TRUE(FolderHasNameLike(dir.Path().string(), "scanline"));
    EXPECT_TRUE(FolderHasNameLike(dir.Path().string(), "SCAN?INE"));
    EXPECT_FALSE(FolderHasNameLike(dir.Path().string(), "scanlines"));
}

TEST(FolderHasNameLike, MissingFolderOrAFileIsFalse)
{
    TTempDir dir;
    const std::string file = dir.WriteFile("scanline", "");
    EXPECT_FALSE(FolderHasNameLike(dir / "missing", "scanline"));
    EXPECT_FALSE(FolderHasNameLike(file, "scanline"));
    EXPECT_FALSE(FolderHasNameLike("", "scanline"));
}
