#include "app/app_state.h"
#include "book/destination_book.h"
#include "book/entry_dialog.h"
#include "main_window_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <filesystem>

using BookHandlers = TMainWindowTest;

namespace {

void ClickCell(TStringGrid* grid, int column, int row) {
    QRect cell = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

void DeleteLater() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

bool HasInk(const QImage& layer, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qAlpha(layer.pixel(x, y)) != 0) return true;
    return false;
}

} // namespace

TEST_F(BookHandlers, FirstStartCreatesTheBookAndTheEmptyRowDoesNothing) {
    TForm1& form = StartForm();
    EXPECT_TRUE(std::filesystem::exists(Dir / "faxnum"));
    EXPECT_FALSE(form.Label3->isVisible());
    ASSERT_EQ(form.StringGrid1->RowCount(), 1);
    const int widths[] = {34, 31, 135, 77, 31};
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(form.StringGrid1->columnWidth(column), widths[column]);
        EXPECT_EQ(form.StringGrid1->Cell(column, 0), "");
        ClickCell(form.StringGrid1, column, 0);
    }
    EXPECT_EQ(Boxes.Count(), 0u);
    EXPECT_EQ(Form2, nullptr);
    EXPECT_TRUE(form.StringGrid1->isVisible());
}

TEST_F(BookHandlers, TheDeleteColumnAsksAndDeletesOnlyOnYes) {
    TForm1& form = StartForm();
    ASSERT_TRUE(UpdateBook(baReplace, "山田商店", "0312345678", ""));
    Boxes.SetNextAnswer(mrNo);
    ClickCell(form.StringGrid1, 0, 0);
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Text, "削除OK?");
    EXPECT_EQ(Boxes.Last().Caption, "山田商店 0312345678");
    EXPECT_EQ(Boxes.Last().Buttons, mbYesNo);
    EXPECT_EQ(form.StringGrid1->Cell(3, 0), "0312345678");

    form.StringGrid1Click(0, 0);  // answered Yes
    EXPECT_EQ(form.StringGrid1->RowCount(), 1);
    EXPECT_EQ(form.StringGrid1->Cell(3, 0), "");
    EXPECT_TRUE(BookChanged);
}

TEST_F(BookHandlers, TheCorrectColumnOpensTheDialogFilledAndStoringCorrects) {
    TForm1& form = StartForm();
    ASSERT_TRUE(UpdateBook(baReplace, "山田商店", "0312345678", ""));
    ClickCell(form.StringGrid1, 1, 0);
    QPointer<TForm2> dialog = Form2;
    ASSERT_FALSE(dialog.isNull());
    EXPECT_EQ(dialog->geometry(), form.geometry());
    EXPECT_EQ(dialog->Edit0->text(), QStringLiteral("山田商店"));
    EXPECT_EQ(dialog->Edit1->text(), QStringLiteral("0312345678"));
    EXPECT_EQ(dialog->Label2->text(), QStringLiteral("0312345678"));
    EXPECT_EQ(dialog->Btn1->text(), QStringLiteral("OK(再登録)"));

    dialog->Edit1->setText(QStringLiteral("0311112222"));
    QTest::mouseClick(dialog->Btn1, Qt::LeftButton);
    DeleteLater();
    EXPECT_TRUE(dialog.isNull());
    ASSERT_EQ(form.StringGrid1->RowCount(), 1);
    EXPECT_EQ(form.StringGrid1->Cell(2, 0), "山田商店");
    EXPECT_EQ(form.StringGrid1->Cell(3, 0), "0311112222");
}

TEST_F(BookHandlers, TheAddButtonOpensOneEmptyDialogForAdding) {
    TForm1& form = StartForm();
    QTest::mouseClick(form.Btn3, Qt::LeftButton);
    QPointer<TForm2> dialog = Form2;
    ASSERT_FALSE(dialog.isNull());
    EXPECT_EQ(dialog->Btn1->text(), QStringLiteral("OK(登録)"));
    EXPECT_TRUE(dialog->Edit0->text().isEmpty());
    EXPECT_TRUE(dialog->Edit1->text().isEmpty());
    EXPECT_TRUE(dialog->Label2->text().isEmpty());
    form.Btn3Click();
    EXPECT_EQ(Form2, dialog.data());
    EXPECT_EQ(form.findChildren<TForm2*>().size(), 1);

    dialog->Edit0->setText(QStringLiteral("新規"));
    dialog->Edit1->setText(QStringLiteral("0355556666"));
    dialog->Btn1Click();
    DeleteLater();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(form.StringGrid1->Cell(2, 0), "新規");
}

TEST_F(BookHandlers, ANameCellWithAnEmptyMemoGoesToTheDropScreenForThatDestination) {
    TForm1& form = StartForm();
    ASSERT_TRUE(UpdateBook(baReplace, "山田商店", "0312345678", ""));
    ClickCell(form.StringGrid1, 2, 0);
    EXPECT_EQ(DestName, "山田商店");
    EXPECT_EQ(DestNumber, "0312345678");
    EXPECT_FALSE(form.StringGrid1->isVisible());
    EXPECT_EQ(form.Btn0->text(), QStringLiteral("Cancel"));
    EXPECT_TRUE(form.acceptDrops());
    EXPECT_TRUE(HasInk(form.DrawnTexts(), QRect(110, 70, 60, 14)));   // the name
    EXPECT_TRUE(HasInk(form.DrawnTexts(), QRect(110, 100, 60, 14)));  // the number
    EXPECT_EQ(Boxes.Count(), 0u);
}

TEST_F(BookHandlers, SendingToANewTypedNumberAddsItToTheList) {
    TForm1& form = StartForm();
    ASSERT_TRUE(UpdateBook(baReplace, "山田商店", "0312345678", ""));
    form.Edit1->setText(QStringLiteral("0398765432"));
    QTest::mouseClick(form.Btn2, Qt::LeftButton);
    ASSERT_TRUE(form.acceptDrops());
    std::string document = Dir.WriteFile("order.pdf", "%PDF-1.4\n");
    form.FilesDropped({document});
    ASSERT_EQ(Fax.Jobs.size(), 1u);
    EXPECT_EQ(Fax.Jobs[0].Number, "0398765432");
    ASSERT_EQ(form.StringGrid1->RowCount(), 2);
    // Kanji order as in JIS: 山 (san) before 名 (mei).
    EXPECT_EQ(form.StringGrid1->Cell(3, 0), "0312345678");
    EXPECT_EQ(form.StringGrid1->Cell(2, 1), DefaultDestName);
    EXPECT_EQ(form.StringGrid1->Cell(3, 1), "0398765432");
}

TEST_F(BookHandlers, AnUnreadableOrJetBookIsKeptAndStartUpGoesOnWithANewBook) {
    Dir.WriteFile("faxnum", std::string("\x00\x01\x00\x00Standard Jet DB\x00", 20) + "rest of an old book");
    TForm1& form = StartForm();
    EXPECT_FALSE(form.Label3->isVisible());
    EXPECT_TRUE(std::filesystem::exists(Dir / "faxnum.mdb"));
    EXPECT_TRUE(UpdateBook(baList));
    Form.reset();

    Dir.WriteFile("faxnum", "garbage");
    StartForm();
    EXPECT_TRUE(UpdateBook(baList));
    int kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Dir.Path()))
        kept += entry.path().filename().string().rfind("faxnum.unreadable-", 0) == 0;
    EXPECT_EQ(kept, 1);
}

TEST_F(BookHandlers, WithoutAnyWayToMakeABookTheFailureScreenShows) {
    TScopedServerOverride noCatalog("ADOX.Catalog", nullptr);
    TForm1& form = StartForm();
    EXPECT_TRUE(form.Label3->isVisible());
    EXPECT_FALSE(form.StringGrid1->isVisible());
    EXPECT_TRUE(form.Btn0->isVisible());
}

TEST_F(BookHandlers, AFaxNumberShowsWholeInItsColumn) {
    TForm1& form = StartForm();
    QFontMetrics metrics(form.StringGrid1->font());
    EXPECT_EQ(form.StringGrid1->font().pixelSize(), 13);
    EXPECT_LE(metrics.horizontalAdvance(QStringLiteral("0000000000")) + 2, form.StringGrid1->columnWidth(3));
    EXPECT_EQ(form.StringGrid1->textElideMode(), Qt::ElideNone);
}
