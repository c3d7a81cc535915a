#include "durable/atomic_file.h"
#include "durable/durable_file.h"
#include "durable/unique_fd.h"
#include "file_helpers.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

} // namespace

// A process that dies at any step leaves the old content or the new content
// whole, never a mixture, and never touches a file beside the target.
TEST(AtomicFile, KilledAtEachStepTheTargetIsOldOrNewWhole) {
    enum TStep { stOpened, stHalfWritten, stWritten, stCommitted };
    const struct {
        TStep DiesAfter;
        const char* Expected;
    } cases[] = {{stOpened, "old"}, {stHalfWritten, "old"}, {stWritten, "old"}, {stCommitted, "new content"}};
    for (const auto& c : cases) {
        TTempDir dir;
        std::string target = dir.WriteFile("book.db", "old");
        dir.WriteFile("other", "kept");
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TAtomicFile file;
            if (!file.Open(target)) ::_exit(2);
            if (c.DiesAfter == stOpened) ::_exit(0);
            file.Write("new ");
            if (c.DiesAfter == stHalfWritten) ::_exit(0);
            file.Write("content");
            if (c.DiesAfter == stWritten) ::_exit(0);
            ::_exit(file.Commit() ? 0 : 3);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.DiesAfter;
        EXPECT_EQ(ReadFileBytes(target), c.Expected) << c.DiesAfter;
        EXPECT_EQ(ReadFileBytes(dir / "other"), "kept");
        // What a crash leaves is a hidden temporary file, never the target's name.
        for (const std::string& name : FolderNames(dir.Path()))
            EXPECT_TRUE(name == "book.db" || name == "other" || name.starts_with(".book.db.tmp-")) << name;
    }
}

TEST(AtomicFile, TwoWritersOfOneTargetNeverShareATemporaryFile) {
    TTempDir dir;
    std::string target = dir / "job";
    TAtomicFile first, second;
    ASSERT_TRUE(first.Open(target));
    ASSERT_TRUE(second.Open(target));
    EXPECT_NE(first.TemporaryPath(), second.TemporaryPath());
    ASSERT_TRUE(first.Write("first") && second.Write("second"));
    ASSERT_TRUE(first.Commit());
    ASSERT_TRUE(second.Commit());
    EXPECT_EQ(ReadFileBytes(target), "second");
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"job"});
}

TEST(AtomicFile, RefusesToReplaceWhenAskedNotToAndLeavesNothingBehind) {
    TTempDir dir;
    std::string target = dir / "new.txt";
    TAtomicFile file;
    ASSERT_TRUE(file.Open(target));
    file.Write("mine");
    dir.WriteFile("new.txt", "theirs");
    errno = 0;
    EXPECT_FALSE(file.Commit(false));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(ReadFileBytes(target), "theirs");
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"new.txt"});
}

TEST(AtomicFile, ReplacingKeepsTheModeAndTheSymbolicLink) {
    TTempDir dir;
    std::string real = dir.WriteFile("real", "old");
    ::chmod(real.c_str(), 0640);
    fs::create_symlink("real", dir / "link");
    ASSERT_TRUE(WriteFileDurably(dir / "link", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(ReadFileBytes(real), "new");
    EXPECT_EQ(ModeOf(real), 0640u);
    ASSERT_TRUE(WriteFileDurably(dir / "fresh", "x"));
    EXPECT_EQ(ModeOf(dir / "fresh"), 0600u);
}

TEST(DurableFile, RenameNoReplaceNeverReplaces) {
    TTempDir dir;
    std::string from = dir.WriteFile("from", "a");
    std::string to = dir.WriteFile("to", "b");
    errno = 0;
    EXPECT_FALSE(RenameNoReplace(from, to));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(ReadFileBytes(from), "a");
    EXPECT_EQ(ReadFileBytes(to), "b");
    EXPECT_TRUE(RenameNoReplace(from, dir / "free"));
    EXPECT_EQ(ReadFileBytes(dir / "free"), "a");
    EXPECT_FALSE(fs::exists(from));
}

TEST(DurableFile, AnAppendCutShortLeavesTheFileAsItWas) {
    TTempDir dir;
    std::string log = dir.WriteFile("jobs.log", "line one\n");
    pid_t child = fork();
    if (child == 0) {
        // A file-size limit makes the write stop part way, as a full disk does.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100, 100};
        setrlimit(RLIMIT_FSIZE, &limit);
        bool appended = AppendDurably(log, std::string(200, 'x') + "\n");
        _exit(appended ? 2 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the append should fail";
    EXPECT_EQ(ReadFileBytes(log), "line one\n");
}

TEST(DurableFile, FolderOfABareNameOrARootFile) {
    EXPECT_EQ(FolderOf("name"), ".");
    EXPECT_EQ(FolderOf("/name"), "/");
    EXPECT_EQ(FolderOf("/a/b/name"), "/a/b");
}

TEST(UniqueFd, ClosesOnceWhereverOwnershipGoes) {
    int raw = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(raw, 0);
    {
        TUniqueFd first(raw);
        TUniqueFd second(std::move(first));
        EXPECT_FALSE(first.IsOpen());
        first = std::move(second);
        EXPECT_EQ(first.Get(), raw);
        EXPECT_NE(::fcntl(raw, F_GETFD), -1);
    }
    EXPECT_EQ(::fcntl(raw, F_GETFD), -1);
}
