#include "app/app_state.h"
#include "main_window_fixture.h"

#include <QTest>

#include <filesystem>

namespace {

class PrintInboxOffer : public TMainWindowTest {
protected:
    std::string Inbox() const { return Dir / "data/pelmor/inbox"; }
    std::string Print(const std::string& name, const std::string& bytes = "%PDF-1.4 printed") {
        std::filesystem::create_directories(Inbox());
        return Dir.WriteFile("data/pelmor/inbox/" + name, bytes);
    }
    void Start() {
        StartForm();
        Form->StartPrintInbox(Inbox());
    }
    QString Offer() const { return Form->InboxLabel->isVisible() ? Form->InboxLabel->text() : QString(); }
};

TEST_F(PrintInboxOffer, WaitingDocumentsAreOfferedInOrderAndCancelThrowsTheFirstAway) {
    std::string first = Print("20261209-095959-000006-見積書.pdf");
    std::string second = Print("20261209-100000-000007-請求書.pdf");
    Start();
    EXPECT_TRUE(Offer().contains(QStringLiteral("見積書"))) << Offer().toStdString();
    EXPECT_EQ(Form->Btn0->text(), QStringLiteral("Cancel"));

    Form->Btn0->click();
    EXPECT_FALSE(std::filesystem::exists(first));
    EXPECT_TRUE(Offer().contains(QStringLiteral("請求書")));
    EXPECT_TRUE(Form->isVisible()) << "Cancel must not quit while a document is offered";

    // A destination sends the next one as a dropped PDF; the window is back to normal.
    Form->Edit1->setText(QStringLiteral("0612345678"));
    Form->Btn2->click();
    ASSERT_EQ(Fax.Jobs.size(), 1u);
    EXPECT_EQ(Fax.Jobs[0].Number, "0612345678");
    EXPECT_EQ(Fax.Jobs[0].Body, second);
    EXPECT_FALSE(std::filesystem::exists(second));
    EXPECT_TRUE(Offer().isEmpty());
    EXPECT_EQ(Form->Btn0->text(), QStringLiteral("終了"));
    EXPECT_EQ(Form->Btn0->y(), 120);
}

TEST_F(PrintInboxOffer, AnArrivalWhileRunningIsOfferedInTheRestoredWindow) {
    Start();
    Form->showMinimized();
    EXPECT_TRUE(Offer().isEmpty());
    // Written under a temporary name and renamed, as the printer does.
    std::string path = Print("20261209-100000-000007-新着.pdf.tmp");
    std::filesystem::rename(path, path.substr(0, path.size() - 4));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Offer().contains(QStringLiteral("新着")); }, 5000));
    EXPECT_FALSE(Form->isMinimized());
}

TEST_F(PrintInboxOffer, MemoIsStillSentAsMemoAndARefusedSendKeepsTheDocument) {
    std::string printed = Print("20261209-100000-000007-見積書.pdf");
    Start();
    Form->Memo1->setPlainText(QStringLiteral("折り返しお電話ください"));
    Form->Edit1->setText(QStringLiteral("0612345678"));
    Form->Btn2->click();
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Buttons, mbYesNo);
    ASSERT_EQ(Fax.Jobs.size(), 1u);
    EXPECT_EQ(Fax.Jobs[0].Body, TempTextPath);
    EXPECT_TRUE(Offer().contains(QStringLiteral("見積書")));

    Form->Memo1->clear();
    Fax.FailAt = "ConnectedSubmit";
    Form->Btn2->click();
    EXPECT_EQ(Boxes.Last().Text, "FAX起動失敗");
    EXPECT_TRUE(std::filesystem::exists(printed));
    EXPECT_TRUE(Offer().contains(QStringLiteral("見積書")));
}

} // namespace
