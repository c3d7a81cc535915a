// The inbox on its own: filing, what a crash leaves at each step, and the
// sources that keep a fetched fax from being filed twice.
#include "fax_test_pages.h"
#include "fax_tiff.h"
#include "inbox.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <tiffio.h>

namespace fs = std::filesystem;

namespace {

std::string IncomingFax(const TInbox& inbox, const std::string& name, int pages) {
    std::string path = inbox.IncomingDir() + "/" + name;
    std::vector<TFaxPage> faxPages;
    for (int i = 0; i < pages; ++i) faxPages.push_back(MakeBoxTestPage(100 * i, 100, 100 * i + 50, 400));
    EXPECT_TRUE(WriteTestTiff(path, faxPages));
    return path;
}

TInboxFax File(TInbox& inbox, const std::string& source, int pages = 1) {
    TInboxFax fax;
    fax.Station = "Pelmor A";
    fax.Line = "hylafax";
    fax.Source = source;
    std::string error;
    EXPECT_TRUE(inbox.FileReceivedFax(IncomingFax(inbox, "in.tif", pages), fax, error)) << error;
    return fax;
}

std::vector<std::string> Ids(const TInbox& inbox) {
    std::vector<std::string> ids;
    for (const TInboxFax& fax : inbox.List()) ids.push_back(fax.Id);
    return ids;
}

}  // namespace

TEST(Inbox, FiledFaxesComeBackAfterARestartWithTheirStateAndAreNeverFiledTwice) {
    TTempDir dir;
    std::string error;
    {
        TInbox inbox(dir.Path().string());
        ASSERT_TRUE(inbox.Open(error)) << error;
        int heard = 0;
        inbox.AddArrivalListener([&heard](const TInboxFax&) { ++heard; });
        TInboxFax first = File(inbox, "hylafax://h:4559/recvq/fax1.tif", 3);
        EXPECT_EQ(first.Pages, 3);
        EXPECT_FALSE(first.Read);
        TInboxFax second = File(inbox, "hylafax://h:4559/recvq/fax2.tif");
        TInboxFax again = File(inbox, "hylafax://h:4559/recvq/fax1.tif");
        EXPECT_EQ(again.Id, first.Id) << "the same source filed twice";
        EXPECT_EQ(heard, 2);
        ASSERT_TRUE(inbox.Mark(first.Id, true, error)) << error;
        ASSERT_TRUE(inbox.Delete(second.Id, error)) << error;
        EXPECT_FALSE(inbox.Delete(second.Id, error));
        EXPECT_TRUE(fs::exists(dir / ("Trash/" + second.Id + ".tif")));
    }
    TInbox reopened(dir.Path().string());
    ASSERT_TRUE(reopened.Open(error)) << error;
    ASSERT_EQ(Ids(reopened), std::vector<std::string>{"1"});
    EXPECT_TRUE(reopened.List()[0].Read);
    // Gone from Trash too, its source is still known; ids are not used again.
    fs::remove_all(dir / "Trash");
    TInbox emptied(dir.Path().string());
    ASSERT_TRUE(emptied.Open(error)) << error;
    EXPECT_TRUE(emptied.HasSource("hylafax://h:4559/recvq/fax2.tif"));
    EXPECT_EQ(File(emptied, "hylafax://h:4559/recvq/fax3.tif").Id, "3");
}

// What a crash leaves between the steps of filing and of deleting, and what
// the next start makes of it.
TEST(Inbox, StartTidiesWhatACrashLeftHalfDone) {
    TTempDir dir;
    std::string error;
    {
        TInbox inbox(dir.Path().string());
        ASSERT_TRUE(inbox.Open(error)) << error;
        File(inbox, "a");
        File(inbox, "b");
    }
    // Filing cut after the pages moved in: never acknowledged, so removed.
    fs::copy_file(dir / "Inbox/1.tif", dir / "Inbox/7.tif");
    // Delete cut after the record moved to Trash: the pages follow it.
    fs::rename(dir / "Inbox/2.json", dir / "Trash/2.json");
    // A fax arriving when the service stopped: gone with the next start.
    fs::copy_file(dir / "Inbox/1.tif", dir / "Inbox/.incoming/hylafax-fax9.tif");

    TInbox inbox(dir.Path().string());
    ASSERT_TRUE(inbox.Open(error)) << error;
    EXPECT_EQ(Ids(inbox), std::vector<std::string>{"1"});
    EXPECT_FALSE(fs::exists(dir / "Inbox/7.tif"));
    EXPECT_FALSE(fs::exists(dir / "Inbox/2.tif"));
    EXPECT_TRUE(fs::exists(dir / "Trash/2.tif"));
    EXPECT_TRUE(fs::is_empty(dir / "Inbox/.incoming"));
}

TEST(Inbox, UnreadablePagesAreNotFiled) {
    TTempDir dir;
    std::string error;
    TInbox inbox(dir.Path().string());
    ASSERT_TRUE(inbox.Open(error)) << error;
    std::string broken = dir.WriteFile("Inbox/.incoming/broken.tif", "II*\0garbage");
    TInboxFax fax;
    EXPECT_FALSE(inbox.FileReceivedFax(broken, fax, error));
    EXPECT_TRUE(inbox.List().empty());
}

namespace {

// A one-page bilevel TIFF of width x rows at the given lines per inch, one
// black row in three.
std::string WritePage(const TTempDir& dir, int width, int rows, float yDpi) {
    std::string path = dir / ("page-" + std::to_string(width) + "-" + std::to_string(static_cast<int>(yDpi)) + ".tif");
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, rows);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 204.0f);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, yDpi);
    std::vector<uint8_t> row(static_cast<size_t>((width + 7) / 8));
    for (int y = 0; y < rows; ++y) {
        std::fill(row.begin(), row.end(), y % 3 == 0 ? 0xFF : 0x00);
        TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), 0);
    }
    TIFFClose(tiff);
    return path;
}

}  // namespace

// A received fax is forwarded with its own pages: at 196 lines as it is, at
// 98 lines with each row twice; anything else is no fax.
TEST(Forwarding, FaxPagesGoOnAsTheyAreAtFineResolution) {
    TTempDir dir;
    std::vector<TFaxPage> fine, doubled, pages;
    std::string error;
    ASSERT_TRUE(ReadFaxReadyTiff(WritePage(dir, 1728, 30, 196), fine));
    ASSERT_TRUE(ReadFaxTiff(WritePage(dir, 1728, 30, 196), pages, error));
    EXPECT_TRUE(fine == pages);
    ASSERT_TRUE(ReadFaxReadyTiff(WritePage(dir, 1728, 15, 98), doubled));
    ASSERT_EQ(doubled.size(), 1u);
    ASSERT_EQ(doubled[0].Height, 30);
    for (int y = 0; y < 30; ++y) EXPECT_EQ(doubled[0].CountBlack(0, y, 1728, y + 1), (y / 2) % 3 == 0 ? 1728 : 0) << y;
    EXPECT_FALSE(ReadFaxReadyTiff(WritePage(dir, 1700, 30, 196), pages));
    EXPECT_FALSE(ReadFaxReadyTiff(WritePage(dir, 1728, 30, 300), pages));
}
