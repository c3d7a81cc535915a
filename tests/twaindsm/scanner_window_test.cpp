#include "main_window_fixture.h"
#include "private_sane.h"
#include "scripted_manager.h"

#include "app/app_state.h"
#include "platform/busy_cursor.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QScrollArea>
#include <QTest>

#include <chrono>
#include <thread>

namespace {

// The main window with the real source manager library over the private
// SANE test scanner.
class ScannerWindow : public TMainWindowTest {
protected:
    TForm1& DropScreenForm() {
        TForm1& form = StartForm();
        form.SelectDestination("名無し", "0312345678");
        return form;
    }
    void ClickScanner(TForm1& form) {
        QListWidget& list = *form.ListBox1;
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(0)).center());
    }
    // Runs the event loop until the condition holds or a minute has passed.
    template <class TCondition>
    bool WaitFor(TCondition condition) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!condition() && std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return condition();
    }
    TPrivateSane& Sane = TPrivateSane::ForThisProcess();
    TScopedSeam<TLibraryCalls()> Library{LibraryCallsSeam, SystemLibraryCalls};
    std::vector<bool> Cursor;
    TScopedSeam<void(bool)> CursorSeam{BusyCursorSeam, [this](bool busy) { Cursor.push_back(busy); }};
};

TEST_F(ScannerWindow, TheDropScreenListsTheScannerAndAClickSendsTheScannedPage) {
    TForm1& form = DropScreenForm();
    ASSERT_EQ(form.ListBox1->count(), 1);
    EXPECT_EQ(form.ListBox1->item(0)->text().toStdString(), TPrivateSane::ProductName);
    EXPECT_TRUE(form.ListBox1->isVisible());
    EXPECT_FALSE(form.Twain1.LibraryLoaded());

    form.CheckBox2->setChecked(false);
    Cursor.clear();
    ClickScanner(form);
    EXPECT_TRUE(form.TwainLoaded);
    EXPECT_EQ(form.OpenSourceIndex, 0);
    // The busy cursor stays on while the scan runs.
    int shown = int(std::count(Cursor.begin(), Cursor.end(), true)), restored = int(Cursor.size()) - shown;
    EXPECT_EQ(shown - restored, 1);

    ASSERT_TRUE(WaitFor([&] { return !Fax.Jobs.empty(); })) << "no fax job";
    ASSERT_EQ(Fax.Jobs.size(), 1u);
    EXPECT_EQ(Fax.Jobs[0].Number, "0312345678");
    EXPECT_EQ(Fax.Jobs[0].Body, TempImagePath);
    EXPECT_EQ(Fax.Jobs[0].BodyContent.substr(0, 2), "BM");
    EXPECT_EQ(std::count(Cursor.begin(), Cursor.end(), true), std::count(Cursor.begin(), Cursor.end(), false));
    EXPECT_EQ(form.OpenSourceIndex, -1);
    EXPECT_FALSE(form.ListBox1->isVisible());
    EXPECT_TRUE(form.StringGrid1->isVisible());

    form.Btn0Click();
    EXPECT_FALSE(form.TwainLoaded);
    EXPECT_FALSE(form.Twain1.LibraryLoaded());
}

TEST_F(ScannerWindow, WithTheConfirmOptionTheScannedPageOpensThePreview) {
    TForm1& form = DropScreenForm();
    auto* scrollBox = form.findChild<QScrollArea*>(QStringLiteral("ScrollBox1"));
    if (!scrollBox) GTEST_SKIP() << "the window has no picture preview";
    form.CheckBox2->setChecked(true);
    ClickScanner(form);
    ASSERT_TRUE(WaitFor([&] { return form.Image1->isVisible(); })) << "no preview";
    EXPECT_TRUE(scrollBox->isVisible());
    EXPECT_TRUE(Fax.Jobs.empty());
}

TEST_F(ScannerWindow, QuitWhileScanningClosesTheSourceAndTheManager) {
    TForm1& form = DropScreenForm();
    ClickScanner(form);
    form.Btn0Click();
    EXPECT_EQ(form.OpenSourceIndex, -1);
    EXPECT_FALSE(form.Twain1.LibraryLoaded());
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    EXPECT_TRUE(Fax.Jobs.empty());
    EXPECT_EQ(std::count(Cursor.begin(), Cursor.end(), true), std::count(Cursor.begin(), Cursor.end(), false));
}

using ScriptedScannerWindow = TMainWindowTest;

TEST_F(ScriptedScannerWindow, ChoosingTheSourceAgainClosesItWaitsAndReopensIt) {
    TScriptedManager manager;
    manager.Sources = 2;
    StartForm().SelectDestination("名無し", "0312345678");
    QListWidget& list = *Form->ListBox1;
    ASSERT_EQ(list.count(), 2);
    list.setCurrentRow(-1);
    Form->ListBox1Click();
    EXPECT_TRUE(manager.CallsOf("IDENTITY/OPENDS").empty());
    list.setCurrentRow(1);
    manager.Calls.clear();
    Form->ListBox1Click();
    Form->ListBox1Click();
    EXPECT_EQ(manager.CallsOf("DS"), (std::vector<std::string>{"PARENT/OPENDSM", "IDENTITY/OPENDS", "USERINTERFACE/ENABLEDS",
                                                               "USERINTERFACE/DISABLEDS", "IDENTITY/CLOSEDS",
                                                               "IDENTITY/OPENDS", "USERINTERFACE/ENABLEDS"}));
    EXPECT_EQ(Sleeps, std::vector<uint32_t>{1000});
    EXPECT_EQ(Form->OpenSourceIndex, 1);
    Form.reset();
}

} // namespace
