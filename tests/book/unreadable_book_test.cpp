#include "book_fixture.h"

#include "book/book_files.h"
#include "platform/system_info.h"

#include <cstdlib>
#include <ctime>

namespace {

const std::string JetHeader = std::string("\x00\x01\x00\x00Standard Jet DB\x00", 20) + std::string(200, '\x07');

// 2024-03-05 14:12 UTC, with the process in UTC while the clock is held.
class TFixedClock {
public:
    TFixedClock() : Scope(ClockSeam, [] { return std::chrono::system_clock::from_time_t(1709647920); }) {
        const char* tz = std::getenv("TZ");
        HadTz = tz != nullptr;
        if (HadTz) OldTz = tz;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    ~TFixedClock() {
        if (HadTz)
            setenv("TZ", OldTz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    TScopedSeam<std::chrono::system_clock::time_point()> Scope;
    bool HadTz = false;
    std::string OldTz;
};

} // namespace

TEST_F(BookTest, AnUnreadableBookIsKeptBesideAndStartUpGoesOnWithANewBook) {
    TFixedClock clock;
    Dir.WriteFile("faxnum", "not a database");
    ASSERT_TRUE(StartUp());
    EXPECT_EQ(ReadFileBytes(Dir / "faxnum.unreadable-2403051412"), "not a database");
    ASSERT_TRUE(UpdateBook(baList));
    EXPECT_EQ(Grid.RowCount(), 1);

    // A second one within the same minute does not overwrite the first.
    Dir.WriteFile("faxnum", "");
    ASSERT_TRUE(StartUp());
    EXPECT_EQ(ReadFileBytes(Dir / "faxnum.unreadable-2403051412"), "not a database");
    EXPECT_TRUE(BookFileExists(Dir / "faxnum.unreadable-2403051412-2"));
    EXPECT_EQ(FilesInDir(),
              (std::vector<std::string>{"faxnum", "faxnum.unreadable-2403051412", "faxnum.unreadable-2403051412-2"}));
}

TEST_F(BookTest, AJetFormatBookIsKeptAsMdbForItsOwnerAndNeverOverwritesOne) {
    TFixedClock clock;
    Dir.WriteFile("faxnum", JetHeader);
    EXPECT_TRUE(IsJetFormatFile(Dir / "faxnum"));
    ASSERT_TRUE(StartUp());
    EXPECT_EQ(ReadFileBytes(Dir / "faxnum.mdb"), JetHeader);
    EXPECT_TRUE(UpdateBook(baList));

    std::string second = JetHeader + "second";
    Dir.WriteFile("faxnum", second);
    EXPECT_TRUE(PreserveUnreadableBook());
    EXPECT_EQ(ReadFileBytes(Dir / "faxnum.mdb"), JetHeader);
    EXPECT_EQ(ReadFileBytes(Dir / "faxnum-2.mdb"), second);
    EXPECT_FALSE(BookFileExists(BookPath()));
}

TEST_F(BookTest, WhenTheBookCannotBePutAsideNothingIsDeletedAndCreationFails) {
    Dir.WriteFile("faxnum", "keep me");
    TScopedSeam<bool(TBookFileStep, const std::string&)> refuse(
        BookFileStepSeam, [](TBookFileStep step, const std::string&) { return step != bfsPreserve; });
    EXPECT_FALSE(StartUp());
    EXPECT_EQ(ReadFileBytes(BookPath()), "keep me");
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"faxnum"});
}

TEST_F(BookTest, PreservingWithNoBookThereIsNothingToDo) {
    EXPECT_TRUE(PreserveUnreadableBook());
    EXPECT_TRUE(FilesInDir().empty());
    ASSERT_TRUE(StartUp());
    ASSERT_TRUE(UpdateBook(baAddIfNew, "a", "0312345678"));
    // A readable book is never put aside by a start-up.
    ASSERT_TRUE(StartUp());
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"faxnum"});
    EXPECT_EQ(Grid.Destinations(), std::vector<std::string>{"a|0312345678"});
}
