#include "app/app_state.h"
#include "app/controls.h"
#include "book/entry_dialog.h"
#include "main_window_fixture.h"

#include <QTest>

using SendFlow = TMainWindowTest;

namespace {
const char* const MemoCaption = "「うっかり入れただけ」なら、消してくれ(ダブルクリックで消せる)";
}

TEST_F(SendFlow, ATypedNumberWithAMemoIsSentAsTextAfterConfirmation) {
    TForm1& form = StartForm();
    QTest::keyClicks(form.Edit1, QStringLiteral("0312345678"));
    form.Memo1->setPlainText(QStringLiteral("本日の会議は\n15時からです"));
    QTest::mouseClick(form.Btn2, Qt::LeftButton);

    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Text, "ファイルDragDropじゃなく、下のメモ書き(本日の会議・・・)をそのまま送信していい?");
    EXPECT_EQ(Boxes.Last().Caption, MemoCaption);
    EXPECT_EQ(Boxes.Last().Buttons, mbYesNo);
    ASSERT_EQ(Fax.Jobs.size(), 1u);
    EXPECT_EQ(Fax.Jobs[0].Number, "0312345678");
    EXPECT_EQ(Fax.Jobs[0].Body, Dir / "tmp0.txt");
    EXPECT_EQ(Fax.Jobs[0].BodyContent, "本日の会議は\r\n15時からです");
    EXPECT_EQ(DestName, "名無し");
    EXPECT_EQ(Sleeps, std::vector<uint32_t>{2000});
    EXPECT_FALSE(form.Timer1->isActive());  // no history folder: no watch
}

TEST_F(SendFlow, AShortMemoIsShownWholeInTheQuestion) {
    TForm1& form = StartForm();
    form.Memo1->setPlainText(QStringLiteral("了解!"));
    form.SelectDestination("取引先", "0612345678");
    EXPECT_EQ(Boxes.Last().Text, "ファイルDragDropじゃなく、下のメモ書き(了解!・・・)をそのまま送信していい?");
}

// Counted as sent, with CR LF: "ab", CR, LF and "c".
TEST_F(SendFlow, TheMemoPreviewCountsTheLineEndAsSent) {
    TForm1& form = StartForm();
    form.Memo1->setPlainText(QStringLiteral("ab\ncdef"));
    form.SelectDestination("取引先", "0612345678");
    EXPECT_EQ(Boxes.Last().Text, "ファイルDragDropじゃなく、下のメモ書き(ab\r\nc・・・)をそのまま送信していい?");
}

TEST_F(SendFlow, OnlyARegularFileIsHandedToTheFaxService) {
    TForm1& form = StartForm();
    form.SelectDestination("取引先", "0612345678");
    SendFilePath = Dir.Path().string();
    form.SubmitSendFile();
    EXPECT_TRUE(Fax.Jobs.empty());
    EXPECT_EQ(Boxes.Count(), 0u);
}

TEST_F(SendFlow, MemoAndNameAskTheInputMethodForJapanese) {
    TForm1& form = StartForm();
    TForm2 dialog(&form);
    for (QWidget* edit : {static_cast<QWidget*>(form.Memo1), static_cast<QWidget*>(dialog.Edit0)}) {
        EXPECT_FALSE(edit->inputMethodHints() & (Qt::ImhPreferLatin | Qt::ImhLatinOnly)) << edit->objectName().toStdString();
        EXPECT_EQ(edit->locale().language(), QLocale::Japanese) << edit->objectName().toStdString();
        EXPECT_TRUE(edit->testAttribute(Qt::WA_InputMethodEnabled));
    }
}

TEST_F(SendFlow, NoToTheMemoQuestionSendsNothingButTheDestinationBecomesCurrent) {
    TForm1& form = StartForm();
    form.Memo1->setPlainText(QStringLiteral("うっかり"));
    Boxes.SetNextAnswer(mrNo);
    form.SelectDestination("取引先", "0612345678");
    EXPECT_TRUE(Fax.Jobs.empty());
    EXPECT_EQ(DestName, "取引先");
    EXPECT_EQ(DestNumber, "0612345678");
    EXPECT_TRUE(form.StringGrid1->isVisible());
    EXPECT_FALSE(std::filesystem::exists(Dir / "tmp0.txt"));
}

TEST_F(SendFlow, AnEmptyMemoTakesTheWindowToTheDropScreen) {
    TForm1& form = StartForm();
    form.SelectDestination("取引先", "0612345678");
    EXPECT_EQ(Boxes.Count(), 0u);
    EXPECT_FALSE(form.StringGrid1->isVisible());
    EXPECT_TRUE(form.acceptDrops());
    EXPECT_EQ(form.Btn0->text(), QStringLiteral("Cancel"));
}

TEST_F(SendFlow, ABadNumberStopsBeforeAnythingChanges) {
    TForm1& form = StartForm();
    DestName = "前の宛先";
    DestNumber = "0900000000";
    for (const char* number : {"03-1234-5678", "０３１２３４５６７８", "03123456789", "031234567", ""}) {
        Boxes.Clear();
        form.SelectDestination("x", number);
        ASSERT_EQ(Boxes.Count(), 1u) << number;
        EXPECT_EQ(Boxes.Last().Text, "FAX番号が変");
        EXPECT_EQ(Boxes.Last().Caption, "NG");
    }
    EXPECT_EQ(DestNumber, "0900000000");
    EXPECT_TRUE(form.StringGrid1->isVisible());
}

TEST_F(SendFlow, ARefusedSubmissionShowsFaxStartFailure) {
    TForm1& form = StartForm();
    Fax.FailAt = "ConnectedSubmit";
    form.Memo1->setPlainText(QStringLiteral("テスト"));
    form.SelectDestination("取引先", "0612345678");
    ASSERT_EQ(Boxes.Count(), 2u);
    EXPECT_EQ(Boxes.Last().Text, "FAX起動失敗");
    EXPECT_EQ(Boxes.Last().Caption, "残念");
    EXPECT_EQ(std::count(Fax.Calls.begin(), Fax.Calls.end(), "Disconnect"), 0);
}

TEST_F(SendFlow, AHistoryFolderArmsTheWatchAndAVanishedOneIsCleared) {
    std::string sent = (Dir.Path() / "sent").string();
    std::filesystem::create_directory(sent);
    Dir.WriteFile("sent/old.tif", std::string(100, 'x'));
    Dir.WriteFile("Pelmor.txt", sent);
    TForm1& form = StartForm();
    ASSERT_EQ(form.Label0->text().toStdString(), sent);
    form.Memo1->setPlainText(QStringLiteral("テスト"));
    form.SelectDestination("取引先", "0612345678");
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 5000);
    EXPECT_EQ(form.HistoryFolderSize, 100);

    // The folder is removed; the next send clears the band and starts no watch.
    ASSERT_TRUE(form.ConfirmAbandonTracking());  // answered Yes
    std::filesystem::remove_all(sent);
    form.SelectDestination("取引先", "0612345678");
    EXPECT_TRUE(form.Label0->text().isEmpty());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(Fax.Jobs.size(), 2u);
}
