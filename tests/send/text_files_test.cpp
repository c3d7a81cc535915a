#include "automation/automation_error.h"
#include "automation/scripting/file_system_object.h"
#include "automation/scripting/scripting_servers.h"
#include "automation/server_registry.h"
#include "file_helpers.h"
#include "send/text_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t TwoGiB = uint64_t{1} << 31;

class TextFiles : public ::testing::Test {
protected:
    void SetUp() override { RegisterScriptingServers(); }
    TTempDir Dir;
};

// Puts a file system object in place whose every instance is remembered, so
// that a test can see how many were made and that all of them were released.
class TFsoWatch {
public:
    TFsoWatch()
        : Override("Scripting.FileSystemObject", [this] {
              auto fso = std::make_shared<TFileSystemObject>();
              Made.push_back(fso);
              return fso;
          }) {}
    size_t Count() const { return Made.size(); }
    bool AllReleased() const {
        for (const auto& fso : Made)
            if (!fso.expired()) return false;
        return true;
    }

private:
    std::vector<std::weak_ptr<TAutomationObject>> Made;
    TScopedServerOverride Override;
};

} // namespace

TEST_F(TextFiles, GetFileSizeBytesGivesTheSizeOrZero) {
    EXPECT_EQ(GetFileSizeBytes(Dir / "missing.txt"), 0);
    EXPECT_EQ(GetFileSizeBytes(Dir.WriteFile("empty.txt", "")), 0);
    EXPECT_EQ(GetFileSizeBytes(Dir.WriteFile("limit.txt", std::string(100000, 'a'))), 100000);
    EXPECT_EQ(GetFileSizeBytes(Dir.WriteFile("over.txt", std::string(100001, 'a'))), 100001);
    EXPECT_EQ(GetFileSizeBytes(Dir.Path().string()), 0);
}

TEST_F(TextFiles, GetFileSizeBytesGivesZeroForSizesBeyond32Bits) {
    MakeSparseFile(Dir / "edge", TwoGiB - 1);
    MakeSparseFile(Dir / "over", TwoGiB);
    MakeSparseFile(Dir / "huge", 3 * TwoGiB);
    EXPECT_EQ(GetFileSizeBytes(Dir / "edge"), 2147483647);
    EXPECT_EQ(GetFileSizeBytes(Dir / "over"), 0);
    EXPECT_EQ(GetFileSizeBytes(Dir / "huge"), 0);
}

TEST_F(TextFiles, ReadTextFileGivesTheBytesOrEmpty) {
    const char literal[] = "\x8e\xa6\x90\x5c\r\n2\r\n\0\xff";
    std::string bytes(literal, sizeof literal - 1);
    EXPECT_EQ(ReadTextFile(Dir.WriteFile("a.txt", bytes)), bytes);
    EXPECT_EQ(ReadTextFile(Dir.WriteFile("empty.txt", "")), "");
    EXPECT_EQ(ReadTextFile(Dir / "missing.txt"), "");
    EXPECT_EQ(ReadTextFile(Dir.Path().string()), "");
    EXPECT_EQ(ReadTextFile(""), "");
}

TEST_F(TextFiles, WriteTextFileReplacesTheWholeFile) {
    std::string path = Dir.WriteFile("Pelmor.txt", "a much longer earlier content\r\n1\r\n1\r\n2");
    WriteTextFile(path, "\r\n1\r\n0\r\n3");
    EXPECT_EQ(ReadFileBytes(path), "\r\n1\r\n0\r\n3");
    EXPECT_EQ(ReadTextFile(path), "\r\n1\r\n0\r\n3");

    WriteTextFile(path, "");
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::file_size(path), 0u);

    std::string fresh = Dir / "tmp0.txt";
    WriteTextFile(fresh, "");
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_EQ(FolderNames(Dir.Path()), (std::vector<std::string>{"Pelmor.txt", "tmp0.txt"}));
}

TEST_F(TextFiles, WriteTextFileFailuresReachTheCallerAndKeepTheOldFile) {
    std::string path = Dir.WriteFile("Pelmor.txt", "old");
    {
        TFileSizeLimit limit(1024);
        EXPECT_THROW(WriteTextFile(path, std::string(4096, 'x')), TAutomationError);
    }
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(FolderNames(Dir.Path()), std::vector<std::string>{"Pelmor.txt"});

    EXPECT_THROW(WriteTextFile(Dir / "no/such/file.txt", "x"), TAutomationError);
    EXPECT_THROW(WriteTextFile(Dir.Path().string(), "x"), TAutomationError);
}

TEST_F(TextFiles, WriteTempFileReplacesAPlantedLinkNeverWritingThroughIt) {
    std::string victim = Dir.WriteFile("victim", "keep");
    fs::create_symlink(victim, Dir / "tmp0.txt");
    WriteTempFile(Dir / "tmp0.txt", "memo");
    EXPECT_EQ(ReadFileBytes(victim), "keep");
    EXPECT_FALSE(fs::is_symlink(Dir / "tmp0.txt"));
    EXPECT_EQ(ReadFileBytes(Dir / "tmp0.txt"), "memo");
}

TEST_F(TextFiles, WriteTextFileIntoAReadOnlyFolderRaises) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
    std::string path = Dir.WriteFile("ro/Pelmor.txt", "old");
    fs::permissions(Dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THROW(WriteTextFile(path, "new"), TAutomationError);
    EXPECT_EQ(ReadFileBytes(path), "old");
}

TEST_F(TextFiles, EveryCallMakesItsOwnObjectsAndReleasesThem) {
    std::string path = Dir.WriteFile("a.txt", "abc");
    TFsoWatch watch;
    EXPECT_EQ(GetFileSizeBytes(path), 3);
    EXPECT_EQ(GetFileSizeBytes(Dir / "missing"), 0);
    EXPECT_EQ(ReadTextFile(path), "abc");
    EXPECT_EQ(ReadTextFile(Dir / "missing"), "");
    WriteTextFile(path, "xyz");
    EXPECT_THROW(WriteTextFile(Dir / "no/such", "x"), TAutomationError);
    EXPECT_EQ(watch.Count(), 6u);
    EXPECT_TRUE(watch.AllReleased());
}

TEST_F(TextFiles, AFileSystemObjectThatCannotBeCreatedReachesTheCaller) {
    TScopedServerOverride missing("Scripting.FileSystemObject", nullptr);
    std::string path = Dir.WriteFile("a.txt", "abc");
    EXPECT_THROW(GetFileSizeBytes(path), TAutomationError);
    EXPECT_THROW(ReadTextFile(path), TAutomationError);
    EXPECT_THROW(WriteTextFile(path, "x"), TAutomationError);
    EXPECT_EQ(ReadFileBytes(path), "abc");
}
