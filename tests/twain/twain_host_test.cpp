#include "scripted_manager.h"

#include "image/bitmap.h"
#include "twain/twain_host.h"
#include "twain/twain_source.h"

#include <gtest/gtest.h>

namespace {

class TwainHostTest : public ::testing::Test {
protected:
    TTwainSource* Opened(int position = 0) {
        Host.OpenLibrary();
        Host.SetSourceManagerLoaded(true);
        TTwainSource* source = Host.SourceAt(position);
        source->SetOpened(true);
        source->ShowInterface = false;
        return source;
    }
    TScriptedManager Manager;
    TTwainHost Host;
};

TEST_F(TwainHostTest, ElevenSourcesAreListedOnceWithPositionAndMode) {
    Manager.Sources = 11;
    Host.TransferMode = ttmFile;
    EXPECT_EQ(Host.SourceCount(), 0);  // the manager is not open
    ASSERT_TRUE(Host.OpenLibrary());
    Host.SetSourceManagerLoaded(true);
    ASSERT_EQ(Host.SourceCount(), 11);
    EXPECT_EQ(Host.SourceCount(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(Host.SourceAt(i)->Index, i);
        EXPECT_EQ(Host.SourceAt(i)->TransferMode, ttmFile);
        EXPECT_EQ(Host.SourceAt(i)->ProductName(), "Scanner " + std::to_string(i + 1));
    }
    EXPECT_EQ(Host.SourceAt(11), nullptr);
    EXPECT_EQ(Manager.CallsOf("GETFIRST").size(), 1u);
    EXPECT_EQ(Manager.CallsOf("GETNEXT").size(), 11u);
}

TEST_F(TwainHostTest, SourceAtMinusOneTakesTheDefaultOrTheFirst) {
    struct TCase {
        int Sources, DefaultSource, Expected;
    };
    for (TCase c : {TCase{0, -1, -1}, TCase{3, -1, 0}, TCase{3, 2, 2}}) {
        TScriptedManager manager;
        manager.Sources = c.Sources;
        manager.DefaultSource = c.DefaultSource;
        TTwainHost host;
        host.OpenLibrary();
        host.SetSourceManagerLoaded(true);
        TTwainSource* source = host.SourceAt(-1);
        if (c.Expected < 0)
            EXPECT_EQ(source, nullptr);
        else
            EXPECT_EQ(source, host.SourceAt(c.Expected)) << c.Sources << " sources, default " << c.DefaultSource;
    }
}

TEST_F(TwainHostTest, AFailedEnableIsTriedAgainAndAnEnabledSourceIsNotEnabledTwice) {
    TTwainSource* source = Opened();
    Manager.EnableCode = TWRC_FAILURE;
    source->SetSourceEnabled(true);
    EXPECT_FALSE(source->SourceEnabled());
    Manager.EnableCode = TWRC_CHECKSTATUS;
    source->SetSourceEnabled(true);
    source->SetSourceEnabled(true);
    EXPECT_TRUE(source->SourceEnabled());
    EXPECT_EQ(Manager.CallsOf("ENABLEDS").size(), 2u);
}

TEST_F(TwainHostTest, ClosingTheManagerClosesOpenSourcesFirst) {
    Opened()->SetSourceEnabled(true);
    EXPECT_EQ(Host.OpenSourceCount, 1);
    Manager.Calls.clear();
    Host.SetLibraryLoaded(false);
    EXPECT_EQ(Manager.Calls, (std::vector<std::string>{"USERINTERFACE/DISABLEDS", "IDENTITY/CLOSEDS", "PARENT/CLOSEDSM"}));
    EXPECT_FALSE(Host.LibraryLoaded());
    EXPECT_EQ(Host.OpenSourceCount, 0);
}

TEST_F(TwainHostTest, MessagesReachTheSourcesOnlyWhileOneIsOpen) {
    Host.OpenLibrary();
    Host.SetSourceManagerLoaded(true);
    Host.SourceCount();
    Host.MessageWindow().Send(WINDOW_APP_MESSAGE, MSG_CLOSEDSREQ, 0);
    EXPECT_TRUE(Manager.CallsOf("PROCESSEVENT").empty());
    TTwainSource* source = Opened();
    source->SetSourceEnabled(true);
    int cancels = 0;
    Host.OnAcquireCancel = [&](void*, int) { ++cancels; };
    Host.MessageWindow().Send(WINDOW_APP_MESSAGE, MSG_CLOSEDSREQ, 0);
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(source->SourceEnabled());
}

TEST_F(TwainHostTest, ResolutionBecomesPixelsPerMetreByTheSourcesUnits) {
    struct TCase {
        TW_UINT16 Units;
        TW_FIX32 Resolution;
        int32_t Expected;
    };
    TTwainSource* source = Opened();
    for (TCase c : {TCase{TWUN_INCHES, {300, 0}, 11811}, TCase{TWUN_CENTIMETERS, {100, 0}, 10000},
                    TCase{TWUN_PIXELS, {300, 0}, 0}, TCase{TWUN_INCHES, {200, 32768}, 7893}}) {
        Manager.Units = c.Units;
        TScanUnits units = suUnknown;
        std::set<TScanUnits> all;
        ASSERT_EQ(source->ReadUnits(cqGet, units, all), coSuccess);
        EXPECT_EQ(PixelsPerMeter(FixedToReal(c.Resolution), units), c.Expected) << c.Units;
    }
}

TEST_F(TwainHostTest, AnEnumerationIndexOutsideItsItemsLeavesTheValue) {
    TTwainSource* source = Opened();
    Manager.EnumerationIndex = 7;
    TScanUnits units = suTwips;
    std::set<TScanUnits> all;
    EXPECT_NE(source->ReadUnits(cqGet, units, all), coSuccess);
    EXPECT_EQ(units, suTwips);
}

TEST_F(TwainHostTest, IdentityTextsAreCutAt34BytesWithoutTerminator) {
    TTwainIdentity identity(&Host);
    identity.SetProductName(std::string(40, 'x'));
    EXPECT_EQ(identity.ProductName(), std::string(34, 'x'));
    EXPECT_EQ(TW_UINT16(identity.Identity().Version.Language), TW_UINT16(TWLG_USERLOCALE));
    EXPECT_EQ(identity.Language(), tlUserLocale);
    EXPECT_EQ(TW_UINT32(identity.Identity().SupportedGroups), 3u);
}

} // namespace
