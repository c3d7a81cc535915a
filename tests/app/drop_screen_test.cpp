#include "app/app_state.h"
#include "main_window_fixture.h"

#include <QListWidget>
#include <QMimeData>
#include <QTest>

using DropScreen = TMainWindowTest;

namespace {

// True when something is drawn in the layer inside the rectangle.
bool HasInk(const QImage& layer, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qAlpha(layer.pixel(x, y)) != 0) return true;
    return false;
}

TForm1& EnterDropScreen(TMainWindowTest& test, TForm1& form) {
    (void)test;
    DestName = "山田商店";
    DestNumber = "0312345678";
    form.ShowMainControls(false);
    form.SetDropScreen(true);
    return form;
}

} // namespace

TEST_F(DropScreen, ShowsTheCancelButtonAndTheDrawnPromptAndAcceptsDrops) {
    TForm1& form = StartForm();
    form.Edit1->setFocus();
    EnterDropScreen(*this, form);
    EXPECT_EQ(form.Btn0->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(form.Btn0->y(), 8);
    EXPECT_EQ(form.focusWidget(), form.Btn0);  // focus moves there when the window is active
    EXPECT_TRUE(form.acceptDrops());
    EXPECT_TRUE(HasInk(form.DrawnTexts(), QRect(110, 40, 100, 14)));   // the prompt
    EXPECT_TRUE(HasInk(form.DrawnTexts(), QRect(110, 70, 60, 14)));    // the name
    EXPECT_TRUE(HasInk(form.DrawnTexts(), QRect(110, 100, 60, 14)));   // the number
    EXPECT_TRUE(HasInk(form.DrawnTexts(), QRect(90, 180, 100, 14)));
    // Without a scanner library no source is listed and the scanner texts stay off.
    EXPECT_FALSE(form.ListBox1->isVisible());
    EXPECT_FALSE(HasInk(form.DrawnTexts(), QRect(160, 245, 100, 14)));
}

TEST_F(DropScreen, RubbingWithThePointerErasesTheDrawnTexts) {
    TForm1& form = EnterDropScreen(*this, StartForm());
    QRect promptRow(110, 40, 200, 14);
    ASSERT_TRUE(HasInk(form.DrawnTexts(), promptRow));
    // Rub along the prompt without moving the window (a work area that pins it).
    form.MaxLeft = form.x();
    form.MaxTop = form.y();
    QTest::mousePress(&form, Qt::LeftButton, Qt::NoModifier, QPoint(100, 46));
    for (int x = 100; x <= 330; x += 4) QTest::mouseMove(&form, QPoint(x, 46));
    QTest::mouseRelease(&form, Qt::LeftButton, Qt::NoModifier, QPoint(330, 46));
    EXPECT_FALSE(HasInk(form.DrawnTexts(), QRect(110, 44, 200, 4)));
    EXPECT_TRUE(HasInk(form.DrawnTexts(), QRect(90, 150, 200, 40)));  // the rest stays
}

TEST_F(DropScreen, AControlShownOverTheTextsCoversThemForGood) {
    TForm1& form = EnterDropScreen(*this, StartForm());
    ASSERT_TRUE(HasInk(form.DrawnTexts(), QRect(110, 40, 200, 150)));
    form.SetDropScreen(false);
    form.ShowMainControls(true);
    EXPECT_FALSE(HasInk(form.DrawnTexts(), QRect(110, 40, 240, 150)));  // under the grid
    form.ShowMainControls(false);
    EXPECT_FALSE(HasInk(form.DrawnTexts(), QRect(110, 40, 240, 150)));
}

TEST_F(DropScreen, LeavingRestoresTheQuitButtonAndRefusesDrops) {
    TForm1& form = EnterDropScreen(*this, StartForm());
    form.SetDropScreen(false);
    EXPECT_EQ(form.Btn0->text(), QStringLiteral("終了"));
    EXPECT_EQ(form.Btn0->y(), 120);
    EXPECT_FALSE(form.acceptDrops());
    EXPECT_FALSE(form.ListBox1->isVisible());
}

TEST_F(DropScreen, ADropOfSeveralFilesSendsOnlyTheFirstInTheDropsOrder) {
    TForm1& form = EnterDropScreen(*this, StartForm());
    std::string first = Dir.WriteFile("b-first.pdf", "%PDF-1.4 first");
    std::string second = Dir.WriteFile("a-second.pdf", "%PDF-1.4 second");
    std::string third = Dir.WriteFile("c-third.pdf", "%PDF-1.4 third");
    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("https://example.invalid/remote.pdf")),
                  QUrl::fromLocalFile(QString::fromStdString(first)), QUrl::fromLocalFile(QString::fromStdString(second)),
                  QUrl::fromLocalFile(QString::fromStdString(third))});
    std::vector<std::string> paths = TForm1::DroppedPaths(data);
    EXPECT_EQ(paths, (std::vector<std::string>{first, second, third}));
    form.FilesDropped(paths);

    ASSERT_EQ(Fax.Jobs.size(), 1u);
    EXPECT_EQ(Fax.Jobs[0].Body, first);
    EXPECT_EQ(Fax.Jobs[0].Number, "0312345678");
    EXPECT_EQ(SendFilePath, first);
    EXPECT_FALSE(form.acceptDrops());
    EXPECT_TRUE(form.StringGrid1->isVisible());
    EXPECT_EQ(Boxes.Count(), 0u);
}
