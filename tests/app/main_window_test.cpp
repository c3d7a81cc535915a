#include "app/app_state.h"
#include "app/controls.h"
#include "book/string_grid.h"
#include "main_window_fixture.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

namespace {

struct TExpectedControl {
    const char* Name;
    QRect Geometry;
    bool Shown;
};

} // namespace

using MainWindow = TMainWindowTest;

TEST_F(MainWindow, OpensBorderless452By383WithEveryControlInItsPlace) {
    TForm1& form = StartForm();
    EXPECT_EQ(form.size(), QSize(452, 383));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.pos(), QPoint(212, 87));
    const TExpectedControl controls[] = {
        {"Edit1", {4, 14, 93, 19}, true},        {"Btn2", {98, 13, 28, 20}, true},
        {"StringGrid1", {4, 40, 350, 190}, true}, {"Label3", {4, 40, 350, 190}, false},
        {"Btn0", {365, 124, 72, 28}, true},      {"Btn3", {4, 230, 84, 33}, true},
        {"Memo1", {104, 240, 250, 89}, true},    {"Btn5", {4, 283, 84, 33}, true},
        {"ListBox1", {110, 288, 235, 66}, false}, {"Btn4", {4, 336, 84, 33}, true},
        {"Label0", {88, 339, 336, 28}, true},    {"Btn1", {424, 336, 25, 33}, true},
        {"Panel1", {0, 0, 452, 145}, false},     {"Image0", {403, 196, 25, 25}, false},
    };
    for (const auto& expected : controls) {
        auto* widget = form.findChild<QWidget*>(QString::fromLatin1(expected.Name));
        ASSERT_NE(widget, nullptr) << expected.Name;
        EXPECT_EQ(widget->geometry(), expected.Geometry) << expected.Name;
        EXPECT_EQ(widget->isVisible(), expected.Shown) << expected.Name;
    }
    EXPECT_EQ(form.findChild<QWidget*>("Label1")->pos(), QPoint(4, 2));
    EXPECT_EQ(form.findChild<QWidget*>("Label2")->pos(), QPoint(88, 368));
    EXPECT_EQ(form.Btn0->text(), QStringLiteral("終了"));
    EXPECT_EQ(form.Btn3->Caption(), QStringLiteral("送信先Data追加"));
    EXPECT_EQ(form.Btn4->Caption(), QStringLiteral("MSFAX履歴保存場所設定"));
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_FALSE(form.YTBar0->isVisible());
}

TEST_F(MainWindow, UsesAJapaneseFontAt12Pixels) {
    TForm1& form = StartForm();
    QFontInfo info(form.font());
    EXPECT_EQ(form.font().pixelSize(), 12);
    EXPECT_TRUE(info.family().contains(QStringLiteral("Gothic"), Qt::CaseInsensitive) ||
                info.family().contains(QStringLiteral("ゴシック")))
        << info.family().toStdString();
}

TEST_F(MainWindow, FirstStartShowsDefaultsAndTakesDragLimitsFromTheWorkArea) {
    WorkArea = {100, 50, 1380, 850};
    TForm1& form = StartForm();
    EXPECT_EQ(AppDir, Dir.Path().string());
    EXPECT_EQ(TempTextPath, Dir / "tmp0.txt");
    EXPECT_TRUE(form.Label0->text().isEmpty());
    EXPECT_TRUE(form.CheckBox1->isChecked());
    EXPECT_TRUE(form.CheckBox2->isChecked());
    EXPECT_TRUE(form.RBtn2->isChecked());
    EXPECT_FALSE(form.RBtn1->isChecked() || form.RBtn3->isChecked());
    EXPECT_EQ(form.MaxLeft, 1280 - 452);
    EXPECT_EQ(form.WideWindowMaxLeft, 1280 - 640);
    EXPECT_EQ(form.MaxTop, 800 - 383);
    EXPECT_EQ(form.StringGrid1->rowCount(), 1);
    EXPECT_EQ(form.OpenSourceIndex, -1);
    EXPECT_FALSE(BookChanged);
}

TEST_F(MainWindow, StoredSettingsAreRestoredIntoTheControls) {
    Dir.WriteFile("Pelmor.txt", Dir.Path().string() + "\r\n0\r\n1\r\n3");
    TForm1& form = StartForm();
    EXPECT_EQ(form.Label0->text().toStdString(), Dir.Path().string());
    EXPECT_FALSE(form.CheckBox1->isChecked());
    EXPECT_TRUE(form.CheckBox2->isChecked());
    EXPECT_TRUE(form.RBtn3->isChecked());
    EXPECT_FALSE(form.RBtn2->isChecked());
}

TEST_F(MainWindow, ShowMainControlsTouchesExactlyTheMainScreensControls) {
    TForm1& form = StartForm();
    form.ShowMainControls(false);
    for (const char* name : {"Btn1", "Btn2", "Btn3", "Btn4", "Btn5", "Label0", "Label1", "Label2", "Edit1", "Memo1",
                             "StringGrid1"})
        EXPECT_FALSE(form.findChild<QWidget*>(name)->isVisible()) << name;
    EXPECT_TRUE(form.Btn0->isVisible());
    EXPECT_FALSE(form.Label3->isVisible());
    form.ShowMainControls(true);
    EXPECT_TRUE(form.StringGrid1->isVisible());
    EXPECT_TRUE(form.Label2->isVisible());
    EXPECT_FALSE(form.ListBox1->isVisible());
    EXPECT_FALSE(form.Panel1->isVisible());
}

TEST_F(MainWindow, DraggingTheSurfaceMovesTheWindowWithinTheLimits) {
    TForm1& form = StartForm();
    QTest::mousePress(&form, Qt::LeftButton, Qt::NoModifier, QPoint(440, 5));
    EXPECT_TRUE(form.DragActive);
    QTest::mouseMove(&form, QPoint(300, 200));
    EXPECT_EQ(form.pos(), QPoint(212 + 300 - 226, 87 + 200 - 191));
    QTest::mouseRelease(&form, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
    EXPECT_FALSE(form.DragActive);
    QPoint before = form.pos();
    QTest::mouseMove(&form, QPoint(10, 10));
    EXPECT_EQ(form.pos(), before);
}

TEST_F(MainWindow, ANarrowWorkAreaPutsTheLeftEdgeAtTheNegativeLimit) {
    WorkArea = {0, 0, 400, 300};
    TForm1& form = StartForm();
    QTest::mousePress(&form, Qt::LeftButton, Qt::NoModifier, QPoint(440, 5));
    QTest::mouseMove(&form, QPoint(440, 300));
    EXPECT_EQ(form.pos(), QPoint(400 - 452, 300 - 383));
}

TEST_F(MainWindow, OnlyTheLeftButtonStartsADragAndADoubleClickStopsIt) {
    TForm1& form = StartForm();
    QTest::mousePress(&form, Qt::RightButton, Qt::NoModifier, QPoint(440, 5));
    EXPECT_FALSE(form.DragActive);
    QTest::mousePress(&form, Qt::MiddleButton, Qt::NoModifier, QPoint(440, 5));
    EXPECT_FALSE(form.DragActive);
    QTest::mousePress(&form, Qt::LeftButton, Qt::NoModifier, QPoint(440, 5));
    EXPECT_TRUE(form.DragActive);
    QTest::mouseDClick(&form, Qt::LeftButton, Qt::NoModifier, QPoint(440, 5));
    EXPECT_FALSE(form.DragActive);
    QPoint before = form.pos();
    QTest::mouseMove(&form, QPoint(100, 100));
    EXPECT_EQ(form.pos(), before);
}

TEST_F(MainWindow, APressOnAControlStartsNoDrag) {
    TForm1& form = StartForm();
    QTest::mousePress(form.Label0, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(form.DragActive);
}

TEST_F(MainWindow, DoubleClickingTheNumberOrTheMemoEmptiesIt) {
    TForm1& form = StartForm();
    form.Edit1->setText(QStringLiteral("0312345678"));
    form.Memo1->setPlainText(QStringLiteral("よろしく"));
    QTest::mouseDClick(form.Edit1, Qt::LeftButton);
    QTest::mouseDClick(form.Memo1->viewport(), Qt::LeftButton);
    EXPECT_TRUE(form.Edit1->text().isEmpty());
    EXPECT_TRUE(form.Memo1->toPlainText().isEmpty());
}

TEST_F(MainWindow, ClEmptiesTheBlackBandAndWritesTheSettingsAtOnce) {
    Dir.WriteFile("Pelmor.txt", Dir.Path().string() + "\r\n1\r\n0\r\n1");
    TForm1& form = StartForm();
    QTest::mouseClick(form.Btn1, Qt::LeftButton);
    EXPECT_TRUE(form.Label0->text().isEmpty());
    EXPECT_EQ(ReadFileBytes(Dir / "Pelmor.txt"), "\r\n1\r\n0\r\n1");
}

TEST_F(MainWindow, TheSettingsPanelCancelsOrStoresItsChoices) {
    TForm1& form = StartForm();
    QTest::mouseClick(form.Btn5, Qt::LeftButton);
    EXPECT_TRUE(form.Panel1->isVisible());
    EXPECT_FALSE(form.Btn0->isVisible());
    EXPECT_FALSE(form.StringGrid1->isVisible());
    form.RBtn1->setChecked(true);
    QTest::mouseClick(form.Panel1->findChild<QPushButton*>("Btn6"), Qt::LeftButton);
    EXPECT_TRUE(form.RBtn2->isChecked());
    EXPECT_FALSE(form.Panel1->isVisible());
    EXPECT_TRUE(form.Btn0->isVisible());
    EXPECT_TRUE(ReadFileBytes(Dir / "Pelmor.txt").empty());

    QTest::mouseClick(form.Btn5, Qt::LeftButton);
    form.RBtn3->setChecked(true);
    form.CheckBox1->setChecked(false);
    QTest::mouseClick(form.Panel1->findChild<QPushButton*>("Btn7"), Qt::LeftButton);
    EXPECT_EQ(ReadFileBytes(Dir / "Pelmor.txt"), "\r\n0\r\n1\r\n3");
}
