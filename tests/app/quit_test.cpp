#include "app/app_state.h"
#include "main_window_fixture.h"

#include <QTest>

using Quit = TMainWindowTest;

TEST_F(Quit, CancelOnTheDropScreenReturnsToTheMainScreenWithoutAsking) {
    TForm1& form = StartForm();
    form.ShowMainControls(false);
    form.SetDropScreen(true);
    QTest::mouseClick(form.Btn0, Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.StringGrid1->isVisible());
    EXPECT_EQ(form.Btn0->text(), QStringLiteral("終了"));
    EXPECT_EQ(Boxes.Count(), 0u);
    EXPECT_TRUE(ReadFileBytes(Dir / "Pelmor.txt").empty());
}

TEST_F(Quit, OnTheMainScreenWritesTheSettingsAndClosesWithoutCompactingAnUnchangedBook) {
    TForm1& form = StartForm();
    int compactions = 0;
    TScopedServerOverride jet("JRO.JetEngine", [&compactions]() -> TObjectRef {
        ++compactions;
        throw TAutomationError("no compaction expected");
    });
    form.RBtn1->setChecked(true);
    QTest::mouseClick(form.Btn0, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(ReadFileBytes(Dir / "Pelmor.txt"), "\r\n1\r\n1\r\n1");
    EXPECT_EQ(compactions, 0);
}

TEST_F(Quit, FromTheFailureScreenNeitherCompactsNorWritesTheSettings) {
    TForm1& form = StartForm();
    form.Label3->show();
    form.ShowMainControls(false);
    BookChanged = true;
    QTest::mouseClick(form.Btn0, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(ReadFileBytes(Dir / "Pelmor.txt").empty());
    BookChanged = false;
}

TEST_F(Quit, KeepingAPendingWatchKeepsTheProgramOpen) {
    TForm1& form = StartForm();
    form.Timer1->start(5000);
    Boxes.SetNextAnswer(mrNo);
    QTest::mouseClick(form.Btn0, Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Buttons, mbYesNo);
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_TRUE(ReadFileBytes(Dir / "Pelmor.txt").empty());

    QTest::mouseClick(form.Btn0, Qt::LeftButton);  // Yes this time
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Timer1->isActive());
}
