#include "scripted_manager.h"

#include "image/bitmap.h"
#include "twain/twain_host.h"
#include "twain/twain_source.h"

#include <gtest/gtest.h>

namespace {

// Opens the first source of the host's manager in memory mode, enables it and
// posts the manager's notification that its page is ready.
TTwainSource* TransferInMemory(TTwainHost& host, bool showInterface = true) {
    host.OpenLibrary();
    host.SetSourceManagerLoaded(true);
    TTwainSource* source = host.SourceAt(0);
    source->TransferMode = ttmMemory;
    source->SetOpened(true);
    source->ShowInterface = showInterface;
    source->SetSourceEnabled(true);
    host.MessageWindow().Send(WINDOW_APP_MESSAGE, MSG_XFERREADY, 0);
    return source;
}

// An enabled source in memory mode whose page arrives when Ready() posts the
// manager's notification.
class TwainTransferTest : public ::testing::Test {
protected:
    TwainTransferTest() {
        Host.OnTwainAcquire = [this](void*, int, TBitmap& image, bool&) { Images.push_back(image); };
        Host.OnAcquireError = [this](void*, int, int32_t code, int32_t) { Errors.push_back(code); };
        Host.OnAcquireProgress = [this](void*, int, TBitmap*, int current, int total) {
            Progress.push_back({current, total});
        };
    }
    void Ready() { Source = TransferInMemory(Host, false); }
    TScriptedManager Manager;
    TTwainHost Host;
    TTwainSource* Source = nullptr;
    std::vector<TBitmap> Images;
    std::vector<int32_t> Errors;
    std::vector<std::pair<int, int>> Progress;
};

TEST_F(TwainTransferTest, StripsEndingMidRowMakeABottomUpPictureInBlueGreenRed) {
    // Rows of 3 pixels are 9 bytes plus 3 of padding; strips of 8 bytes end
    // inside rows.
    Manager.SetPage(3, 4, 24, TWPT_RGB, 8);
    Ready();
    ASSERT_EQ(Images.size(), 1u);
    const TBitmap& image = Images[0];
    ASSERT_EQ(image.PixelFormat(), pf24bit);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) {
            int first = y * 12 + x * 3;  // the red byte of the pixel as the source sent it
            EXPECT_EQ(image.Pixel(x, y), RGBColor(uint8_t(first), uint8_t(first + 1), uint8_t(first + 2))) << x << "," << y;
        }
    EXPECT_EQ(Progress, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}, {4, 3}}));
    EXPECT_EQ(Manager.CallsOf("PENDINGXFERS"), std::vector<std::string>{"PENDINGXFERS/ENDXFER"});
    EXPECT_FALSE(Source->SourceEnabled());
}

TEST_F(TwainTransferTest, BlackAndWhiteTableFollowsThePixelFlavour) {
    struct TCase {
        TW_UINT16 Flavor;
        bool Answered;
        TColor First;
    };
    for (TCase c : {TCase{TWPF_VANILLA, true, clWhite}, TCase{TWPF_CHOCOLATE, true, clBlack},
                    TCase{TWPF_VANILLA, false, clBlack}}) {
        TScriptedManager manager;
        manager.SetPage(10, 2, 1, TWPT_BW, 64);
        manager.Flavor = c.Flavor;
        manager.CapabilitiesAnswered = c.Answered;
        TTwainHost host;
        TColor first = clInvalid, second = clInvalid;
        host.OnTwainAcquire = [&](void*, int, TBitmap& image, bool&) {
            first = image.ColorTable().at(0);
            second = image.ColorTable().at(1);
        };
        TransferInMemory(host);
        EXPECT_EQ(first, c.First) << c.Flavor << c.Answered;
        EXPECT_EQ(second, c.First ^ clWhite);
    }
}

TEST_F(TwainTransferTest, CancelInTheHandlerResetsThePendingPagesInsteadOfTransferringThem) {
    for (bool cancel : {false, true}) {
        TScriptedManager manager;
        manager.SetPage(2, 2, 8, TWPT_GRAY, 8);
        manager.PendingAfterPage = 2;
        TTwainHost host;
        std::vector<TColor> greys;
        host.OnTwainAcquire = [&](void*, int, TBitmap& image, bool& cancelled) {
            greys.push_back(image.ColorTable().at(200));
            cancelled = cancel;
        };
        TransferInMemory(host);
        EXPECT_EQ(greys, std::vector<TColor>(cancel ? 1 : 3, RGBColor(200, 200, 200)));
        EXPECT_EQ(manager.CallsOf("RESET").size(), cancel ? 1u : 0u);
    }
}

// Faults of a source end the transfer with an error event and no picture.
TEST_F(TwainTransferTest, FaultsOfTheSourceEndWithAnErrorEvent) {
    struct TCase {
        const char* Name;
        void (*Script)(TScriptedManager&);
    };
    const TCase cases[] = {
        {"more bytes than the picture", [](TScriptedManager& m) { m.Page.resize(m.Page.size() + 13, 7); }},
        {"preferred strip size 0", [](TScriptedManager& m) { m.Preferred = 0; }},
        {"enumeration index outside", [](TScriptedManager& m) { m.EnumerationIndex = 3; }},
        {"bitmap cannot be made", [](TScriptedManager& m) { m.Info.ImageWidth = m.Info.ImageLength = 20000; }},
    };
    for (const TCase& c : cases) {
        TScriptedManager manager;
        manager.SetPage(5, 3, 24, TWPT_RGB, 16);
        c.Script(manager);
        TTwainHost host;
        int images = 0;
        std::vector<int32_t> errors;
        host.OnTwainAcquire = [&](void*, int, TBitmap&, bool&) { ++images; };
        host.OnAcquireError = [&](void*, int, int32_t code, int32_t) { errors.push_back(code); };
        TransferInMemory(host);
        EXPECT_EQ(images, 0) << c.Name;
        EXPECT_EQ(errors, std::vector<int32_t>{TWRC_FAILURE}) << c.Name;
        EXPECT_EQ(manager.CallsOf("ENDXFER").size(), 1u) << c.Name;
    }
}

} // namespace

namespace {

TEST_F(TwainTransferTest, AHandlerMayCloseTheManagerWhileItsTransferRuns) {
    Manager.SetPage(4, 3, 8, TWPT_GRAY, 8);
    Host.OnTwainAcquire = [this](void*, int, TBitmap& image, bool&) {
        Images.push_back(image);
        Host.SetLibraryLoaded(false);
    };
    Ready();
    EXPECT_EQ(Images.size(), 1u);
    EXPECT_FALSE(Host.LibraryLoaded());
    EXPECT_EQ(Host.OpenSourceCount, 0);
    EXPECT_TRUE(Manager.CallsOf("ENDXFER").empty());
}

} // namespace

namespace {

// Found by the strip fuzzer: a source that calls an 8-bit page RGB.
TEST_F(TwainTransferTest, AnRgbPageOfAnotherDepthKeepsItsBytes) {
    Manager.SetPage(3, 2, 8, TWPT_RGB, 8);
    Ready();
    ASSERT_EQ(Images.size(), 1u);
    EXPECT_EQ(Images[0].ScanLine(1)[0], 4);
    EXPECT_EQ(Images[0].ScanLine(1)[2], 6);
}

} // namespace
