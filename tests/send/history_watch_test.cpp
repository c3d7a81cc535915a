#include "app/app_state.h"
#include "main_window_fixture.h"

#include <QTest>

#include <ctime>
#include <sys/time.h>

namespace {

class HistoryWatch : public TMainWindowTest {
protected:
    HistoryWatch()
        : FixedClock(ClockSeam, [] {
              std::tm local{};
              local.tm_year = 2007 - 1900;
              local.tm_mon = 11;
              local.tm_mday = 7;
              local.tm_hour = 20;
              local.tm_min = 15;
              local.tm_isdst = -1;
              return std::chrono::system_clock::from_time_t(std::mktime(&local));
          }) {}

    // Sends a memo with the sent-items folder set, so the watch is armed.
    TForm1& SendWithWatch() {
        Sent = (Dir.Path() / "sent").string();
        std::filesystem::create_directory(Sent);
        Dir.WriteFile("sent/earlier.tif", std::string(50, 'x'));
        Dir.WriteFile("Pelmor.txt", Sent);
        TForm1& form = StartForm();
        form.Memo1->setPlainText(QStringLiteral("テスト"));
        form.SelectDestination(DefaultDestName, "0312345678");
        Boxes.Clear();
        return form;
    }

    std::string Sent;
    TScopedSeam<std::chrono::system_clock::time_point()> FixedClock;
};

} // namespace

TEST_F(HistoryWatch, AFolderThatStaysEqualOrShrinksNeverCompletes) {
    TForm1& form = SendWithWatch();
    form.Timer1Timer();
    EXPECT_TRUE(form.Timer1->isActive());
    std::filesystem::remove(Sent + "/earlier.tif");
    form.Timer1Timer();
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(Boxes.Count(), 0u);
}

TEST_F(HistoryWatch, GrowthFilesTheNewestEntryUnderTheDestinationByCompletionTime) {
    TForm1& form = SendWithWatch();
    Dir.WriteFile("sent/job-7.tif", std::string("II*\0fax", 7));
    struct timeval later[2] = {{std::time(nullptr) + 10, 0}, {std::time(nullptr) + 10, 0}};
    utimes((Sent + "/job-7.tif").c_str(), later);
    form.Timer1Timer();
    EXPECT_FALSE(form.Timer1->isActive());
    std::string filed = Dir / "faxto名無し0312345678/07-12-07-20-15.tif";
    EXPECT_EQ(ReadFileBytes(filed), std::string("II*\0fax", 7));
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Text, "送信完了");
    EXPECT_TRUE(form.HistoryFso.IsEmpty());
}

TEST_F(HistoryWatch, NoKeepsTheSnapshotAndYesAbandonsTheWatch) {
    TForm1& form = SendWithWatch();
    int64_t snapshot = form.HistoryFolderSize;
    Boxes.SetNextAnswer(mrNo);
    EXPECT_FALSE(form.ConfirmAbandonTracking());
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.HistoryFolderSize, snapshot);
    EXPECT_EQ(Boxes.Last().Caption, "明らかに送信失敗ならともかく、送信途中なら終わるまで待ったほうがいいと思う");
    EXPECT_TRUE(form.ConfirmAbandonTracking());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_TRUE(form.HistoryFolderObject.IsEmpty());
}

TEST_F(HistoryWatch, AFolderThatVanishesWhileWatchedStopsTheWatchAndSaysSoOnce) {
    TForm1& form = SendWithWatch();
    std::filesystem::remove_all(Sent);
    EXPECT_NO_THROW(form.Timer1Timer());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_TRUE(form.HistoryFolderObject.IsEmpty());
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Caption, "悪いけど");
}

TEST_F(HistoryWatch, ANameThatCannotBeAFolderNameReachesTheErrorReportAndReleasesTheWatch) {
    TForm1& form = SendWithWatch();
    std::filesystem::create_directory(Dir / "faxto");
    DestName = "/../../escaped";  // would file above the application's folder
    Dir.WriteFile("sent/job-8.tif", "II*");
    form.Timer1->start(0);  // through the event loop, as a real tick comes
    QTest::qWait(50);
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_TRUE(form.HistoryFso.IsEmpty());
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_NE(Boxes.Last().Text.find("/../../escaped"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Dir.Path().parent_path() / "escaped0312345678"));
}

TEST_F(HistoryWatch, QuitClosesTheHistoryFolderWindowsOnly) {
    DesktopWindows = {{11, 0, true, "faxto名無し0312345678"}, {12, 0, true, "Faxto名無し0312345678"},
                      {13, 12, true, "faxto名無し0312345678"}, {14, 0, false, "faxto名無し0312345678"}};
    TForm1& form = StartForm();
    QTest::mouseClick(form.Btn0, Qt::LeftButton);
    EXPECT_EQ(ClosedWindows, std::vector<uint32_t>{11});
}
