#include "automation/automation_error.h"
#include "automation/scripting/file_system_object.h"
#include "file_helpers.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t TwoGiB = uint64_t{1} << 31;

TVariant NewFso() { return MakeObject<TFileSystemObject>(); }

// The text of the error a call raises, or "no error".
template <class F>
std::string ErrorOf(F&& call) {
    try {
        call();
    } catch (const TAutomationError& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(FileSystemObject, ExistenceTellsFilesFromFolders) {
    TTempDir dir;
    TVariant fso = NewFso();
    std::string file = dir.WriteFile("a.txt", "x");
    std::string folder = dir / "sub";
    fs::create_directory(folder);
    fs::create_symlink(file, dir / "link");

    EXPECT_TRUE(fso.Call("FileExists", {file}).AsBool());
    EXPECT_TRUE(fso.Call("FileExists", {dir / "link"}).AsBool());
    EXPECT_FALSE(fso.Call("FileExists", {folder}).AsBool());
    EXPECT_FALSE(fso.Call("FileExists", {dir / "missing"}).AsBool());
    EXPECT_FALSE(fso.Call("FileExists", {""}).AsBool());
    EXPECT_TRUE(fso.Call("FolderExists", {folder}).AsBool());
    EXPECT_FALSE(fso.Call("FolderExists", {file}).AsBool());
    EXPECT_FALSE(fso.Call("FolderExists", {dir / "missing"}).AsBool());
    EXPECT_FALSE(fso.Call("FolderExists", {""}).AsBool());
}

TEST(FileSystemObject, FileSizeIsReadAfreshAndMissingFilesRaise) {
    TTempDir dir;
    TVariant fso = NewFso();
    std::string path = dir.WriteFile("a.bin", std::string(1234, 'z'));
    TVariant file = fso.Call("GetFile", {path});
    EXPECT_EQ(file.Get("Size"), TVariant(int32_t{1234}));
    dir.WriteFile("a.bin", "");
    EXPECT_EQ(file.Get("Size"), TVariant(int32_t{0}));
    fs::remove(path);
    EXPECT_NE(ErrorOf([&] { file.Get("Size"); }).find("File not found"), std::string::npos);

    std::string missing = dir / "missing.txt";
    std::string error = ErrorOf([&] { fso.Call("GetFile", {missing}); });
    EXPECT_NE(error.find("File not found"), std::string::npos) << error;
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_NE(ErrorOf([&] { fso.Call("GetFile", {dir.Path().string()}); }), "no error");
}

TEST(FileSystemObject, FileSizesBeyond32BitsAre64BitValues) {
    TTempDir dir;
    TVariant fso = NewFso();
    MakeSparseFile(dir / "edge", TwoGiB - 1);
    MakeSparseFile(dir / "over", TwoGiB);
    MakeSparseFile(dir / "big", 3 * TwoGiB);

    TVariant edge = fso.Call("GetFile", {dir / "edge"}).Get("Size");
    EXPECT_EQ(edge.Type(), vtInt32);
    EXPECT_EQ(edge.AsInt32(), 2147483647);

    TVariant over = fso.Call("GetFile", {dir / "over"}).Get("Size");
    EXPECT_EQ(over.Type(), vtInt64);
    EXPECT_EQ(over.AsInt64(), int64_t{2147483648});
    EXPECT_EQ(ErrorOf([&] { over.AsInt32(); }), "Overflow");

    EXPECT_EQ(fso.Call("GetFile", {dir / "big"}).Get("Size").AsInt64(), int64_t{6442450944});
}

TEST(FileSystemObject, FolderSizeCountsEveryFileBelowIt) {
    TTempDir dir;
    TVariant fso = NewFso();
    fs::create_directories(dir / "top/a/b");
    dir.WriteFile("top/one", std::string(10, 'x'));
    dir.WriteFile("top/a/two", std::string(200, 'x'));
    dir.WriteFile("top/a/b/three", std::string(3000, 'x'));
    fs::create_directory(dir / "top/empty");
    // Links count nothing and are not followed (a link to the folder itself
    // would otherwise never end).
    fs::create_symlink(dir / "top", dir / "top/a/loop");
    fs::create_symlink(dir / "top/one", dir / "top/a/one-link");

    TVariant folder = fso.Call("GetFolder", {dir / "top"});
    EXPECT_EQ(folder.Get("Size"), TVariant(int32_t{3210}));
    dir.WriteFile("top/empty/four", "4444");
    EXPECT_EQ(folder.Get("Size"), TVariant(int32_t{3214}));
    EXPECT_EQ(fso.Call("GetFolder", {dir / "top/empty"}).Get("Size").AsInt32(), 4);

    fs::remove_all(dir / "top");
    EXPECT_NE(ErrorOf([&] { folder.Get("Size"); }).find("Path not found"), std::string::npos);
    EXPECT_NE(ErrorOf([&] { fso.Call("GetFolder", {dir / "top"}); }).find("Path not found"), std::string::npos);
}

TEST(FileSystemObject, FolderSizeBeyond2GiBIsExactAnd64Bit) {
    // A sent-items folder grows past 2 GiB after years of faxing; its size
    // must still be a number that can be compared, not an error.
    TTempDir dir;
    TVariant fso = NewFso();
    fs::create_directories(dir / "sent/2019");
    MakeSparseFile(dir / "sent/2019/old.tif", TwoGiB - 100);
    dir.WriteFile("sent/new.tif", std::string(99, 'x'));
    TVariant folder = fso.Call("GetFolder", {dir / "sent"});
    TVariant below = folder.Get("Size");
    EXPECT_EQ(below.Type(), vtInt32);
    EXPECT_EQ(below.AsInt64(), int64_t{2147483647});

    dir.WriteFile("sent/newer.tif", "xy");
    TVariant above = folder.Get("Size");
    EXPECT_EQ(above.Type(), vtInt64);
    EXPECT_EQ(above.AsInt64(), int64_t{2147483649});
    EXPECT_GT(above.AsInt64(), below.AsInt64());

    MakeSparseFile(dir / "sent/2019/older.tif", 5 * TwoGiB);
    EXPECT_EQ(folder.Get("Size").AsInt64(), int64_t{2147483649} + int64_t{10737418240});
}

TEST(FileSystemObject, UnreadableSubfolderRaisesInsteadOfUndercounting) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
    TTempDir dir;
    TVariant fso = NewFso();
    fs::create_directories(dir / "top/locked");
    dir.WriteFile("top/locked/a", "abc");
    fs::permissions(dir / "top/locked", fs::perms::none);
    TVariant folder = fso.Call("GetFolder", {dir / "top"});
    EXPECT_NE(ErrorOf([&] { folder.Get("Size"); }).find("Permission denied"), std::string::npos);
    fs::permissions(dir / "top/locked", fs::perms::owner_all);
}

TEST(FileSystemObject, CreateFolderMakesOneLevel) {
    TTempDir dir;
    TVariant fso = NewFso();
    std::string folder = dir / "faxto名無し0312345678";
    TVariant created = fso.Call("CreateFolder", {folder});
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(created.Get("Size").AsInt32(), 0);

    EXPECT_NE(ErrorOf([&] { fso.Call("CreateFolder", {folder}); }).find("File already exists"), std::string::npos);
    std::string file = dir.WriteFile("plain", "x");
    EXPECT_NE(ErrorOf([&] { fso.Call("CreateFolder", {file}); }).find("File already exists"), std::string::npos);
    EXPECT_NE(ErrorOf([&] { fso.Call("CreateFolder", {dir / "no/such"}); }).find("Path not found"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "no"));
}

TEST(FileSystemObject, CopyFileOverwritesByDefaultAndRefusesFolders) {
    TTempDir dir;
    TVariant fso = NewFso();
    const char literal[] = "II*\0\x01\x02\r\n\xff";
    std::string bytes(literal, sizeof literal - 1);
    std::string source = dir.WriteFile("sent/fax.tif", bytes);
    ::chmod(source.c_str(), 0640);
    std::string target = dir / "07-12-07-20-15.tif";

    fso.Call("CopyFile", {source, target});
    EXPECT_EQ(ReadFileBytes(target), bytes);
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));

    // A second completion within the same minute replaces the earlier copy.
    dir.WriteFile("sent/fax.tif", "second");
    fso.Call("CopyFile", {source, target});
    EXPECT_EQ(ReadFileBytes(target), "second");

    dir.WriteFile("sent/fax.tif", "third");
    EXPECT_NE(ErrorOf([&] { fso.Call("CopyFile", {source, target, false}); }).find("File already exists"),
              std::string::npos);
    EXPECT_EQ(ReadFileBytes(target), "second");

    fs::create_directory(dir / "into");
    fso.Call("CopyFile", {source, (dir / "into") + "/"});
    EXPECT_EQ(ReadFileBytes(dir / "into/fax.tif"), "third");

    fs::create_directory(dir / "sent/subfolder");
    EXPECT_NE(ErrorOf([&] { fso.Call("CopyFile", {dir / "sent/subfolder", dir / "copy"}); }).find("File not found"),
              std::string::npos);
    EXPECT_NE(ErrorOf([&] { fso.Call("CopyFile", {dir / "missing", dir / "copy"}); }).find("File not found"),
              std::string::npos);
    EXPECT_NE(ErrorOf([&] { fso.Call("CopyFile", {source, dir / "no/such/copy"}); }).find("Path not found"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "copy"));
    EXPECT_EQ(FolderNames(dir.Path()), (std::vector<std::string>{"07-12-07-20-15.tif", "into", "sent"}));
}

TEST(FileSystemObject, CopyFileThatCannotFinishLeavesTheTargetAsItWas) {
    TTempDir dir;
    TVariant fso = NewFso();
    std::string source = dir.WriteFile("big", std::string(100000, 'b'));
    std::string target = dir.WriteFile("target", "old");
    {
        TFileSizeLimit limit(4096);
        EXPECT_NE(ErrorOf([&] { fso.Call("CopyFile", {source, target}); }).find("Disk full"), std::string::npos);
    }
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_EQ(FolderNames(dir.Path()), (std::vector<std::string>{"big", "target"}));
}
