#include "book_fixture.h"

#include "automation/automation_object.h"
#include "automation/server_registry.h"
#include "book/book_files.h"
#include "platform/busy_cursor.h"

#include <fstream>

namespace {

// Thrown by a step to stand for the process dying there: nothing after it
// runs, and the files stay as they were at that moment.
struct TSimulatedDeath {};

// A compaction engine that dies half way through writing the copy.
class TDyingEngine : public TAutomationObject {
public:
    std::string_view ClassName() const override { return "JetEngine"; }
    const TMemberTable& Members() const override {
        static const TMemberTable table = {
            MakeMember<TDyingEngine>("CompactDatabase", mkMethod, 2, 2, &TDyingEngine::CompactDatabase)};
        return table;
    }

private:
    TVariant CompactDatabase(const TArgs& args) {
        std::string target = args[1].AsString();
        target = target.substr(target.find('"') + 1);
        target.pop_back();
        std::ofstream(target, std::ios::binary) << std::string("SQLite format 3\0", 16) << std::string(300, '\0');
        throw TSimulatedDeath{};
    }
};

class CompactionTest : public BookTest {
protected:
    void SetUp() override {
        BookTest::SetUp();
        ASSERT_TRUE(StartUp());
        for (int i = 0; i < 12; ++i)
            ASSERT_TRUE(UpdateBook(baAddIfNew, "宛先" + std::to_string(i), std::to_string(3000000000LL + i)));
        for (int i = 0; i < 12; i += 3) ASSERT_TRUE(UpdateBook(baDelete, "", std::to_string(3000000000LL + i)));
        Expected = Grid.Rows;
    }

    // The next start finds the book with every destination.
    void ExpectNextStartFindsTheBook() {
        Grid.Rows.clear();
        ASSERT_TRUE(UpdateBook(baList)) << "the book at faxnum does not open";
        EXPECT_EQ(Grid.Rows, Expected);
        // And the compaction after it works and cleans up.
        EXPECT_TRUE(CompactBook(BookPath(), BookTempPath()));
        EXPECT_EQ(FilesInDir(), std::vector<std::string>{"faxnum"});
    }

    std::vector<std::vector<std::string>> Expected;
};

} // namespace

TEST_F(CompactionTest, QuitAfterAWriteCompactsThroughTheCopyAndLeavesOnlyTheBook) {
    int busy = 0;
    TScopedSeam<void(bool)> cursor(BusyCursorSeam, [&](bool on) { busy += on ? 1 : -1; });
    auto before = std::filesystem::file_size(BookPath());
    EXPECT_TRUE(CompactBook(BookPath(), BookTempPath()));
    EXPECT_EQ(busy, 0);
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"faxnum"});
    EXPECT_LE(std::filesystem::file_size(BookPath()), before);
    ASSERT_TRUE(UpdateBook(baList));
    EXPECT_EQ(Grid.Rows, Expected);
}

TEST_F(CompactionTest, AMissingBookIsNotCompactedAndAStaleCopyIsReplaced) {
    Dir.WriteFile("faxnum1", "left from an earlier run");
    EXPECT_TRUE(CompactBook(BookPath(), BookTempPath()));
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"faxnum"});

    EXPECT_FALSE(CompactBook(Dir / "nothing", Dir / "nothing1"));
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"faxnum"});
}

TEST_F(CompactionTest, DyingAtAnyStepLeavesAUsableBook) {
    for (TBookFileStep step : {bfsRemoveStaleCopy, bfsCompact, bfsVerifyCopy, bfsReplaceBook}) {
        SCOPED_TRACE(step);
        Dir.WriteFile("faxnum1", "stale");
        {
            TScopedSeam<bool(TBookFileStep, const std::string&)> die(
                BookFileStepSeam, [step](TBookFileStep at, const std::string&) -> bool {
                    if (at == step) throw TSimulatedDeath{};
                    return true;
                });
            EXPECT_THROW(CompactBook(BookPath(), BookTempPath()), TSimulatedDeath);
        }
        ExpectNextStartFindsTheBook();
    }
}

TEST_F(CompactionTest, DyingWhileTheCopyIsWrittenOrWhileABadCopyIsRemovedLeavesAUsableBook) {
    {
        TScopedServerOverride engine("JRO.JetEngine", [] { return std::make_shared<TDyingEngine>(); });
        EXPECT_THROW(CompactBook(BookPath(), BookTempPath()), TSimulatedDeath);
    }
    EXPECT_TRUE(BookFileExists(BookTempPath()));
    ExpectNextStartFindsTheBook();

    {
        TScopedSeam<bool(TBookFileStep, const std::string&)> die(
            BookFileStepSeam, [](TBookFileStep at, const std::string&) -> bool {
                if (at == bfsRemoveBadCopy) throw TSimulatedDeath{};
                return at != bfsVerifyCopy;  // the copy fails its check
            });
        EXPECT_THROW(CompactBook(BookPath(), BookTempPath()), TSimulatedDeath);
    }
    ExpectNextStartFindsTheBook();
}

TEST_F(CompactionTest, AFailedStepLeavesTheBookAsItWasAndNoCopyBehind) {
    for (TBookFileStep step : {bfsCompact, bfsVerifyCopy, bfsReplaceBook}) {
        SCOPED_TRACE(step);
        std::string before = ReadFileBytes(BookPath());
        TScopedSeam<bool(TBookFileStep, const std::string&)> fail(
            BookFileStepSeam, [step](TBookFileStep at, const std::string&) { return at != step; });
        EXPECT_FALSE(CompactBook(BookPath(), BookTempPath()));
        EXPECT_EQ(ReadFileBytes(BookPath()), before);
        EXPECT_EQ(FilesInDir(), std::vector<std::string>{"faxnum"});
    }
    {
        TScopedServerOverride noEngine("JRO.JetEngine", nullptr);
        EXPECT_FALSE(CompactBook(BookPath(), BookTempPath()));
    }
    ExpectNextStartFindsTheBook();
}
