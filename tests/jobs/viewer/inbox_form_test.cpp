// The 受信 view with a client of the test's own: order and bold of unread
// faxes, opening one in the viewer, forwarding, deleting, an arrival.
#include "inbox_form.h"

#include "temp_dir.h"

#include <QTest>

#include <gtest/gtest.h>

#include <tiffio.h>

namespace {

class TFakeInbox : public TInboxClient {
public:
    std::vector<TInboxFax> Faxes;
    std::string Pages;
    std::vector<std::string> Calls;

    bool ListInbox(std::vector<TInboxFax>& faxes, QString&) override {
        faxes = Faxes;
        return true;
    }
    bool MarkFax(const QString& id, bool read, QString&) override {
        Calls.push_back("mark " + id.toStdString() + (read ? " read" : " unread"));
        for (TInboxFax& fax : Faxes)
            if (fax.Id == id.toStdString()) fax.Read = read;
        return true;
    }
    bool DeleteFax(const QString& id, QString&) override {
        Calls.push_back("delete " + id.toStdString());
        std::erase_if(Faxes, [&](const TInboxFax& fax) { return fax.Id == id.toStdString(); });
        return true;
    }
    bool ForwardFax(const QString& id, const QString& number, QString& job, QString&) override {
        Calls.push_back("forward " + id.toStdString() + " " + number.toStdString());
        job = QStringLiteral("41");
        return true;
    }
    QString FaxPath(const QString&) const override { return QString::fromStdString(Pages); }
};

TInboxFax Fax(const char* id, const char* arrived, bool read, bool simulated) {
    TInboxFax fax;
    fax.Id = id;
    fax.Arrived = arrived;
    fax.Station = std::string("Station ") + id;
    fax.Pages = 1;
    fax.Line = simulated ? "simulated" : "hylafax";
    fax.Simulated = simulated;
    fax.Read = read;
    return fax;
}

bool WriteOnePage(const std::string& path) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (!tiff) return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 1728);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 100);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    std::vector<uint8_t> row(216, 0x0F);
    for (uint32_t y = 0; y < 100; ++y) TIFFWriteScanline(tiff, row.data(), y, 0);
    TIFFClose(tiff);
    return true;
}

std::vector<std::string> Column(const TInboxForm& form, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < form.StringGrid1->rowCount(); ++row)
        cells.push_back(form.StringGrid1->item(row, column)->text().toStdString());
    return cells;
}

bool Bold(const TInboxForm& form, int row) { return form.StringGrid1->item(row, 1)->font().bold(); }

}  // namespace

TEST(InboxForm, UnreadFirstInBoldOpenedMarkedReadForwardedDeletedAndArrivalsListed) {
    TTempDir dir;
    TFakeInbox client;
    client.Pages = dir / "fax.tif";
    ASSERT_TRUE(WriteOnePage(client.Pages));
    client.Faxes = {Fax("3", "2026-12-09T12:00:00", true, false), Fax("2", "2026-12-09T11:00:00", false, false),
                    Fax("1", "2026-12-09T10:00:00", false, true)};
    TInboxForm form(client);
    ASSERT_TRUE(form.Refresh());
    EXPECT_EQ(Column(form, 1), (std::vector<std::string>{"Station 2", "Station 1", "Station 3"}));
    EXPECT_EQ(Column(form, 3), (std::vector<std::string>{"HylaFAX", "模擬回線", "HylaFAX"}));
    EXPECT_TRUE(Bold(form, 0) && Bold(form, 1));
    EXPECT_FALSE(Bold(form, 2));

    form.StringGrid1->selectRow(1);
    QTest::mouseClick(form.Btn0, Qt::LeftButton);
    ASSERT_NE(form.Viewer(), nullptr);
    EXPECT_EQ(form.Viewer()->PageCount(), 1);
    EXPECT_TRUE(form.Viewer()->Label0->text().contains(QStringLiteral("模擬回線")));
    EXPECT_EQ(client.Calls, std::vector<std::string>{"mark 1 read"});
    EXPECT_EQ(Column(form, 1), (std::vector<std::string>{"Station 2", "Station 3", "Station 1"}));
    EXPECT_FALSE(Bold(form, 2));
    EXPECT_EQ(form.StringGrid1->currentRow(), 2) << "the opened fax stays selected";

    std::vector<std::pair<QString, QString>> offered;
    form.BookDestinations = [] { return std::vector<std::pair<QString, QString>>{{"山田商事", "0312345678"}}; };
    form.AskForwardNumber = [&](const std::vector<std::pair<QString, QString>>& destinations) {
        offered = destinations;
        return QStringLiteral("0312345678");
    };
    QTest::mouseClick(form.Viewer()->Btn5, Qt::LeftButton);
    EXPECT_EQ(offered.size(), 1u);
    EXPECT_EQ(client.Calls.back(), "forward 1 0312345678");
    EXPECT_TRUE(form.Label0->text().contains(QStringLiteral("ジョブ 41")));

    QTest::mouseClick(form.Btn2, Qt::LeftButton);
    EXPECT_EQ(client.Calls.back(), "delete 1");
    EXPECT_FALSE(form.Viewer()->isVisible()) << "the deleted fax is still shown";
    EXPECT_EQ(Column(form, 1), (std::vector<std::string>{"Station 2", "Station 3"}));

    client.Faxes.insert(client.Faxes.begin(), Fax("4", "2026-12-09T13:00:00", false, true));
    client.FaxArrived(client.Faxes.front());
    EXPECT_EQ(Column(form, 1).front(), "Station 4");
    EXPECT_TRUE(Bold(form, 0));
    EXPECT_TRUE(form.Label0->text().startsWith(QStringLiteral("FAX受信")));
}
