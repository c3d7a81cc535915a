#include "book_fixture.h"

#include "book/entry_dialog.h"
#include "message_box_recorder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

class EntryDialogTest : public BookTest {
protected:
    void SetUp() override {
        BookTest::SetUp();
        ASSERT_TRUE(StartUp());
        MainWindow.setGeometry(212, 87, 452, 383);
        MainWindow.show();
    }

    // The dialog as the add button opens it.
    TForm2* OpenForAdding() {
        auto* dialog = new TForm2(&MainWindow);
        dialog->Label2->setText(QString());
        dialog->Btn1->setText(QStringLiteral("OK(登録)"));
        return dialog;
    }

    // Types into the dialog and presses the store button.
    static void Store(TForm2* dialog, const QString& name, const QString& number) {
        dialog->Edit0->clear();
        dialog->Edit1->clear();
        dialog->Edit0->setText(name);
        dialog->Edit1->setText(number);
        QTest::mouseClick(dialog->Btn1, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QWidget MainWindow;
    TMessageBoxRecorder Boxes;
};

} // namespace

TEST_F(EntryDialogTest, TheDialogCoversTheMainWindowWithItsControls) {
    QPointer<TForm2> dialog = OpenForAdding();
    EXPECT_EQ(Form2, dialog.data());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->geometry(), MainWindow.geometry());
    EXPECT_TRUE(dialog->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(dialog->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(dialog->findChild<QLabel*>("Label0")->text(), "名前");
    EXPECT_EQ(dialog->findChild<QLabel*>("Label1")->text(), "FAX番号");
    EXPECT_EQ(dialog->findChild<QLineEdit*>("Edit1")->geometry(), QRect(127, 136, 90, 19));
    EXPECT_FALSE(dialog->findChild<QLabel*>("Label2")->isVisible());
    EXPECT_EQ(dialog->findChild<QPushButton*>("Btn0")->text(), "Cancel");
    EXPECT_EQ(dialog->findChild<QPushButton*>("Btn1")->geometry(), QRect(168, 224, 95, 25));
    dialog->Btn0Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(Form2, nullptr);
}

TEST_F(EntryDialogTest, RefusedNumbersShowTheMessageAndKeepTheDialogWithItsContent) {
    QPointer<TForm2> dialog = OpenForAdding();
    for (const char* number : {"03-1234-5678", "０３１２３４５６７８", "03123456789"}) {
        Boxes.Clear();
        Store(dialog, QStringLiteral("山田"), QString::fromUtf8(number));
        ASSERT_FALSE(dialog.isNull()) << number;
        ASSERT_EQ(Boxes.Count(), 1u) << number;
        EXPECT_EQ(Boxes.Last().Text, "FAX番号が変");
        EXPECT_EQ(Boxes.Last().Caption, "NG");
        EXPECT_EQ(dialog->Edit0->text(), "山田");
        EXPECT_EQ(dialog->Edit1->text().toStdString(), number);
    }
    // An empty name: nothing at all happens.
    Boxes.Clear();
    Store(dialog, QString(), QStringLiteral("0312345678"));
    EXPECT_FALSE(dialog.isNull());
    EXPECT_EQ(Boxes.Count(), 0u);
    EXPECT_FALSE(BookChanged);
    ASSERT_TRUE(UpdateBook(baList));
    EXPECT_EQ(Grid.Rows[0][3], "");
    delete dialog.data();
}

TEST_F(EntryDialogTest, StoringAddsOrCorrectsAndClosesTheDialog) {
    QPointer<TForm2> dialog = OpenForAdding();
    Store(dialog, QStringLiteral("山田商店"), QStringLiteral("0312345678"));
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(Grid.Destinations(), std::vector<std::string>{"山田商店|0312345678"});

    // Correcting only the name keeps the number.
    dialog = new TForm2(&MainWindow);
    dialog->Label2->setText(QStringLiteral("0312345678"));
    Store(dialog, QStringLiteral("山田工業"), QStringLiteral("0312345678"));
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(Grid.Destinations(), std::vector<std::string>{"山田工業|0312345678"});

    // Adding a listed number under a new name leaves one row, with the new name.
    dialog = OpenForAdding();
    Store(dialog, QStringLiteral("別名"), QStringLiteral("0312345678"));
    EXPECT_EQ(Grid.Destinations(), std::vector<std::string>{"別名|0312345678"});
    EXPECT_EQ(Boxes.Count(), 0u);
}

TEST_F(EntryDialogTest, CancelAfterTypingAndADatabaseFailureStoreNothing) {
    QPointer<TForm2> dialog = OpenForAdding();
    QTest::keyClicks(dialog->Edit0, QStringLiteral("abc"));
    dialog->Edit1->setText(QStringLiteral("0312345678"));
    QTest::mouseClick(dialog->Btn0, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    ASSERT_TRUE(UpdateBook(baList));
    EXPECT_EQ(Grid.Rows[0][3], "");

    // Without a book the store fails silently and the dialog stays.
    std::filesystem::remove(BookPath());
    dialog = OpenForAdding();
    Store(dialog, QStringLiteral("山田"), QStringLiteral("0312345678"));
    EXPECT_FALSE(dialog.isNull());
    EXPECT_EQ(Boxes.Count(), 0u);
    delete dialog.data();
}
