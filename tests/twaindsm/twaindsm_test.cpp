#include "private_sane.h"
#include "product_name.h"

#include "image/bitmap.h"
#include "platform/library_loader.h"
#include "twain/twain_host.h"
#include "twain/twain_source.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

TEST(ProductName, IsCutToThirtyThreeBytesOnACharacterBoundary) {
    struct TCase {
        std::string Vendor, Model, Expected;
    };
    const TCase cases[] = {
        {"Noname", "frontend-tester", "Noname frontend-tester"},
        {"", "model only", "model only"},
        {"Vendor", std::string(40, 'm'), "Vendor " + std::string(26, 'm')},
        // 31 bytes, then a three-byte character that would end at byte 34.
        {std::string(30, 'v'), "日本", std::string(30, 'v') + " "},
        {std::string(29, 'v'), "日本", std::string(29, 'v') + " 日"},
    };
    for (const TCase& c : cases) EXPECT_EQ(ProductNameOf(c.Vendor, c.Model), c.Expected) << c.Vendor << "|" << c.Model;
}

// A picture as scanimage writes it (binary PPM).
struct TPpm {
    int Width = 0, Height = 0;
    std::string Pixels;
};

TPpm ScanimagePage(const std::string& folder) {
    std::string path = folder + "/page.ppm";
    std::string command = "timeout 60 scanimage --mode Color --resolution 200 --format=pnm > '" + path + "' 2>/dev/null";
    TPpm ppm;
    if (std::system(command.c_str()) != 0) return ppm;
    std::ifstream in(path, std::ios::binary);
    std::string magic, token;
    in >> magic;
    std::vector<int> numbers;
    while (numbers.size() < 3 && in >> token) {
        if (token[0] == '#') {
            std::getline(in, token);
            continue;
        }
        numbers.push_back(std::stoi(token));
    }
    in.get();
    if (magic != "P6" || numbers.size() != 3) return ppm;
    ppm.Width = numbers[0];
    ppm.Height = numbers[1];
    ppm.Pixels.assign(std::istreambuf_iterator<char>(in), {});
    return ppm;
}

class RealManager : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "twaindsm_test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
    TPrivateSane& Sane = TPrivateSane::ForThisProcess();
    TScopedSeam<TLibraryCalls()> Library{LibraryCallsSeam, SystemLibraryCalls};
};

TEST_F(RealManager, ListsTheTestScannerAndTransfersThePageScanimageSees) {
    TTwainHost host;
    ASSERT_TRUE(host.OpenLibrary()) << "libpelmortwain.so beside the test";
    host.SetSourceManagerLoaded(true);
    ASSERT_TRUE(host.SourceManagerLoaded());
    ASSERT_EQ(host.SourceCount(), 1);
    TTwainSource* source = host.SourceAt(0);
    EXPECT_EQ(source->ProductName(), TPrivateSane::ProductName);

    std::unique_ptr<TBitmap> page;
    int rows = 0;
    host.OnTwainAcquire = [&](void*, int, TBitmap& image, bool&) { page = std::make_unique<TBitmap>(image); };
    host.OnAcquireProgress = [&](void*, int, TBitmap*, int, int) { ++rows; };
    source->SetOpened(true);
    source->ShowInterface = false;
    source->TransferMode = ttmMemory;
    source->SetSourceEnabled(true);
    ASSERT_TRUE(source->SourceEnabled());
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!page && source->SourceEnabled() && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(page) << "no page arrived";
    EXPECT_FALSE(source->SourceEnabled());
    EXPECT_EQ(rows, page->Height());

    TPpm expected = ScanimagePage(Sane.ConfigDir());
    ASSERT_EQ(page->PixelFormat(), pf24bit);
    ASSERT_EQ(page->Width(), expected.Width);
    ASSERT_EQ(page->Height(), expected.Height);
    EXPECT_NEAR(page->Width(), 80 / 25.4 * 200, 1);
    int differing = 0;
    for (int y = 0; y < page->Height(); ++y)
        for (int x = 0; x < page->Width(); ++x) {
            const char* rgb = expected.Pixels.data() + (size_t(y) * size_t(expected.Width) + size_t(x)) * 3;
            if (page->Pixel(x, y) != RGBColor(uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2]))) ++differing;
        }
    EXPECT_EQ(differing, 0);

    source->SetOpened(false);
    host.SetLibraryLoaded(false);
    EXPECT_FALSE(host.LibraryLoaded());
}

TEST_F(RealManager, ClosingDuringTheScanEndsItWithoutAPage) {
    TTwainHost host;
    ASSERT_TRUE(host.OpenLibrary());
    host.SetSourceManagerLoaded(true);
    ASSERT_EQ(host.SourceCount(), 1);
    bool acquired = false;
    host.OnTwainAcquire = [&](void*, int, TBitmap&, bool&) { acquired = true; };
    TTwainSource* source = host.SourceAt(0);
    source->SetOpened(true);
    source->ShowInterface = false;
    source->TransferMode = ttmMemory;
    source->SetSourceEnabled(true);
    source->SetOpened(false);
    host.SetLibraryLoaded(false);
    QCoreApplication::processEvents();
    EXPECT_FALSE(acquired);
    EXPECT_EQ(host.OpenSourceCount, 0);
}

} // namespace
