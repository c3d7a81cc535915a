#include "automation/automation_error.h"
#include "automation/scripting/file_system_object.h"
#include "file_helpers.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int32_t ForReading = 1;
constexpr int32_t ForAppending = 8;

TVariant NewFso() { return MakeObject<TFileSystemObject>(); }

template <class F>
std::string ErrorOf(F&& call) {
    try {
        call();
    } catch (const TAutomationError& error) {
        return error.what();
    }
    return "no error";
}

// Bytes that a converting reader or writer would damage: Shift-JIS with a
// backslash trail byte, CR LF and a lone LF, a NUL, invalid UTF-8.
const char AwkwardLiteral[] = "\x95\x5c\x8e\xa6\r\nline\n\0end\xff\xfe";
const std::string AwkwardBytes(AwkwardLiteral, sizeof AwkwardLiteral - 1);

} // namespace

TEST(TextStream, ReadAllGivesTheFileBytesUnchanged) {
    TTempDir dir;
    TVariant fso = NewFso();
    std::string path = dir.WriteFile("a.txt", AwkwardBytes);
    TVariant stream = fso.Call("OpenTextFile", {path, ForReading});
    EXPECT_EQ(stream.Call("ReadAll").AsString(), AwkwardBytes);
    stream.Call("Close");
    EXPECT_NE(ErrorOf([&] { stream.Call("ReadAll"); }), "no error");

    std::string empty = dir.WriteFile("empty.txt", "");
    EXPECT_EQ(fso.Call("OpenTextFile", {empty}).Call("ReadAll").AsString(), "");
}

TEST(TextStream, OpeningWhatCannotBeReadRaises) {
    TTempDir dir;
    TVariant fso = NewFso();
    EXPECT_NE(ErrorOf([&] { fso.Call("OpenTextFile", {dir / "missing", ForReading}); }).find("File not found"),
              std::string::npos);
    EXPECT_NE(ErrorOf([&] { fso.Call("OpenTextFile", {dir.Path().string(), ForReading}); }), "no error");
    std::string path = dir.WriteFile("a.txt", "a");
    EXPECT_NE(ErrorOf([&] { fso.Call("OpenTextFile", {path, ForAppending}); }), "no error");
    EXPECT_NE(ErrorOf([&] { fso.Call("OpenTextFile", {path, ForReading, false, int32_t{-1}}); }), "no error");
    TVariant reader = fso.Call("OpenTextFile", {path, ForReading});
    EXPECT_NE(ErrorOf([&] { reader.Call("Write", {"x"}); }).find("Bad file mode"), std::string::npos);
}

TEST(TextStream, CreateTextFileWritesTheBytesGivenAndNothingElse) {
    TTempDir dir;
    TVariant fso = NewFso();
    std::string path = dir / "out.txt";
    TVariant stream = fso.Call("CreateTextFile", {path, true});
    stream.Call("Write", {AwkwardBytes.substr(0, 7)});
    stream.Call("Write", {AwkwardBytes.substr(7)});
    EXPECT_NE(ErrorOf([&] { stream.Call("ReadAll"); }).find("Bad file mode"), std::string::npos);
    stream.Call("Close");
    EXPECT_EQ(ReadFileBytes(path), AwkwardBytes);
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"out.txt"});

    // Nothing written: an empty file replaces the old content.
    TVariant again = fso.Call("CreateTextFile", {path, true});
    again.Call("Close");
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST(TextStream, TheTargetKeepsItsOldContentUntilClose) {
    TTempDir dir;
    TVariant fso = NewFso();
    std::string path = dir.WriteFile("Pelmor.txt", "old settings");
    TVariant stream = fso.Call("CreateTextFile", {path, true});
    EXPECT_EQ(ReadFileBytes(path), "old settings");
    stream.Call("Write", {"new settings"});
    EXPECT_EQ(ReadFileBytes(path), "old settings");
    stream.Call("Close");
    EXPECT_EQ(ReadFileBytes(path), "new settings");
    stream.Call("Close");
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"Pelmor.txt"});
}

TEST(TextStream, AStreamReleasedWithoutCloseChangesNothing) {
    TTempDir dir;
    TVariant fso = NewFso();
    std::string existing = dir.WriteFile("memo.txt", "kept");
    std::string fresh = dir / "fresh.txt";
    {
        TVariant a = fso.Call("CreateTextFile", {existing, true});
        a.Call("Write", {"lost"});
        TVariant b = fso.Call("CreateTextFile", {fresh, true});
        b.Call("Write", {"lost"});
        EXPECT_EQ(FolderNames(dir.Path()).size(), 3u);
    }
    EXPECT_EQ(ReadFileBytes(existing), "kept");
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"memo.txt"});
}

TEST(TextStream, AFullDiskLeavesTheOldFileWhole) {
    TTempDir dir;
    TVariant fso = NewFso();
    std::string path = dir.WriteFile("Pelmor.txt", "old settings");
    TVariant stream = fso.Call("CreateTextFile", {path, true});
    {
        TFileSizeLimit limit(1024);
        EXPECT_NE(ErrorOf([&] { stream.Call("Write", {std::string(5000, 'x')}); }).find("Disk full"),
                  std::string::npos);
    }
    // The stream does not pretend that a later Close saved anything.
    EXPECT_NE(ErrorOf([&] { stream.Call("Write", {"more"}); }), "no error");
    EXPECT_NE(ErrorOf([&] { stream.Call("Close"); }), "no error");
    EXPECT_EQ(ReadFileBytes(path), "old settings");
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"Pelmor.txt"});
}

TEST(TextStream, AFailedReplaceAtCloseLeavesNoTemporaryFile) {
    TTempDir dir;
    TVariant fso = NewFso();
    std::string path = dir / "target";
    TVariant stream = fso.Call("CreateTextFile", {path, true});
    stream.Call("Write", {"text"});
    // Something takes the name before Close: a folder cannot be replaced by a file.
    fs::create_directory(path);
    EXPECT_NE(ErrorOf([&] { stream.Call("Close"); }), "no error");
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"target"});
}

TEST(TextStream, OverwriteFalseRefusesAnExistingFileEvenAtClose) {
    TTempDir dir;
    TVariant fso = NewFso();
    std::string path = dir.WriteFile("a.txt", "first");
    EXPECT_NE(ErrorOf([&] { fso.Call("CreateTextFile", {path}); }).find("File already exists"), std::string::npos);
    EXPECT_NE(ErrorOf([&] { fso.Call("CreateTextFile", {path, false}); }).find("File already exists"),
              std::string::npos);

    std::string later = dir / "b.txt";
    TVariant stream = fso.Call("CreateTextFile", {later, false});
    stream.Call("Write", {"mine"});
    dir.WriteFile("b.txt", "theirs");
    EXPECT_NE(ErrorOf([&] { stream.Call("Close"); }).find("File already exists"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(later), "theirs");
    EXPECT_EQ(FolderNames(dir.Path()), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(TextStream, CreateTextFileRefusesPathsItCannotWrite) {
    TTempDir dir;
    TVariant fso = NewFso();
    EXPECT_NE(ErrorOf([&] { fso.Call("CreateTextFile", {dir / "no/such/file", true}); }).find("Path not found"),
              std::string::npos);
    EXPECT_NE(ErrorOf([&] { fso.Call("CreateTextFile", {dir.Path().string(), true}); }).find("Permission denied"),
              std::string::npos);
    EXPECT_NE(ErrorOf([&] { fso.Call("CreateTextFile", {"", true}); }), "no error");
}

TEST(TextStream, ReplacingKeepsPermissionsAndLinks) {
    TTempDir dir;
    TVariant fso = NewFso();
    std::string real = dir.WriteFile("real.txt", "old");
    ::chmod(real.c_str(), 0600);
    std::string link = dir / "link.txt";
    fs::create_symlink("real.txt", link);
    TVariant stream = fso.Call("CreateTextFile", {link, true});
    stream.Call("Write", {"new"});
    stream.Call("Close");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), "new");
    EXPECT_EQ(fs::status(real).permissions(), fs::perms(0600));
}

TEST(TextStream, OpenTextFileForWritingReplacesWhole) {
    TTempDir dir;
    TVariant fso = NewFso();
    std::string path = dir.WriteFile("a.txt", "a longer old text");
    TVariant stream = fso.Call("OpenTextFile", {path, int32_t{2}});
    stream.Call("Write", {"short"});
    stream.Call("Close");
    EXPECT_EQ(ReadFileBytes(path), "short");
    EXPECT_NE(ErrorOf([&] { fso.Call("OpenTextFile", {dir / "missing", int32_t{2}}); }).find("File not found"),
              std::string::npos);
    fso.Call("OpenTextFile", {dir / "made", int32_t{2}, true}).Call("Close");
    EXPECT_TRUE(fs::exists(dir / "made"));
}

TEST(TextStream, AReadOnlyFileIsNotReplaced) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
    TTempDir dir;
    TVariant fso = NewFso();
    std::string path = dir.WriteFile("frozen.txt", "kept");
    ::chmod(path.c_str(), 0444);
    EXPECT_NE(ErrorOf([&] { fso.Call("CreateTextFile", {path, true}); }).find("Permission denied"),
              std::string::npos);
    std::string source = dir.WriteFile("source.txt", "other");
    EXPECT_NE(ErrorOf([&] { fso.Call("CopyFile", {source, path}); }).find("Permission denied"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(path), "kept");
}
