// Office documents made by LibreOffice, faxed by a real service with a real
// LibreOffice. Slow: one service, one LibreOffice, every document in turn.
#include "body_type.h"
#include "fax_tiff.h"
#include "office_fixtures.h"
#include "picture_fit.h"
#include "service_process.h"
#include "temp_dir.h"
#include "test_pictures.h"

#include <QByteArray>
#include <QJsonArray>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

const char* const OdfNamespaces =
    R"(xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" )"
    R"(xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" )"
    R"(xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" )"
    R"(xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" )"
    R"(xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" )"
    R"(xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" )"
    R"(xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" )"
    R"(xmlns:script="urn:oasis:names:tc:opendocument:xmlns:script:1.0" )"
    R"(xmlns:ooo="http://openoffice.org/2004/office" xmlns:xlink="http://www.w3.org/1999/xlink" )"
    R"(xmlns:dom="http://www.w3.org/2001/xml-events" office:version="1.3" )";

// A4 with 2 cm margins all round.
const char* const A4Page =
    R"(<office:automatic-styles><style:page-layout style:name="A4"><style:page-layout-properties )"
    R"(fo:page-width="21cm" fo:page-height="29.7cm" fo:margin-top="2cm" fo:margin-bottom="2cm" )"
    R"(fo:margin-left="2cm" fo:margin-right="2cm"/></style:page-layout>)"
    R"(<style:style style:name="Big" style:family="paragraph"><style:text-properties fo:font-size="20pt" )"
    R"(style:font-size-asian="20pt"/></style:style>)"
    R"(<style:style style:name="Break" style:family="paragraph"><style:paragraph-properties )"
    R"(fo:break-before="page"/></style:style>)"
    R"(<style:style style:name="Cell" style:family="table-cell"><style:table-cell-properties )"
    R"(fo:border="0.6mm solid #000000"/></style:style>)"
    R"(<style:style style:name="Pic" style:family="graphic"><style:graphic-properties style:wrap="none" )"
    R"(style:vertical-pos="from-top" style:vertical-rel="page" style:horizontal-pos="from-left" )"
    R"(style:horizontal-rel="page"/></style:style></office:automatic-styles>)"
    R"(<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="A4"/>)"
    R"(</office:master-styles>)";

std::string TextDocument(const std::string& scripts, const std::string& body)
{
    return std::string(R"(<?xml version="1.0" encoding="UTF-8"?><office:document )") + OdfNamespaces
        + R"(office:mimetype="application/vnd.oasis.opendocument.text">)" + scripts + A4Page
        + "<office:body><office:text>" + body + "</office:text></office:body></office:document>";
}

std::string Cell(const std::string& text)
{
    return R"(<table:table-cell table:style-name="Cell" office:value-type="string"><text:p>)" + text
        + "</text:p></table:table-cell>";
}

// Page 1: a heading, a table the width of the text, a black picture of
// 4 x 4 cm placed at 12 cm from the left, 20 cm from the top; page 2: a line.
std::string LetterDocument()
{
    std::string picture = MakeBmp(64, 64, 8, false, [](int, int) { return 0u; });
    return TextDocument(
        "", R"(<text:p text:style-name="Big">見出し：ファクス送信テスト</text:p>)"
            R"(<table:table table:name="T"><table:table-column table:number-columns-repeated="2"/>)"
            "<table:table-row>" + Cell("名前") + Cell("番号") + "</table:table-row>"
            "<table:table-row>" + Cell("山田　太郎") + Cell("0312345678") + "</table:table-row></table:table>"
            R"(<text:p><draw:frame draw:name="pic" draw:style-name="Pic" text:anchor-type="page" text:anchor-page-number="1" )"
            R"(svg:x="12cm" svg:y="20cm" svg:width="4cm" svg:height="4cm"><draw:image><office:binary-data>)"
            + QByteArray::fromStdString(picture).toBase64().toStdString()
            + R"(</office:binary-data></draw:image></draw:frame></text:p>)"
              R"(<text:p text:style-name="Break">二ページ目</text:p>)");
}

// On opening, its macro writes a file at marker.
std::string MacroDocument(const std::string& marker)
{
    std::string scripts =
        R"(<office:scripts><office:script script:language="ooo:Basic"><ooo:libraries>)"
        R"(<ooo:library-embedded ooo:name="Standard"><ooo:module ooo:name="Module1"><ooo:source-code>)"
        "Sub Main\nDim n As Integer\nn = FreeFile\nOpen &quot;" + marker
        + "&quot; For Output As #n\nPrint #n, &quot;ran&quot;\nClose #n\nEnd Sub\n"
          R"(</ooo:source-code></ooo:module></ooo:library-embedded></ooo:libraries></office:script>)"
          R"(<office:event-listeners><script:event-listener script:language="ooo:script" )"
          R"(script:event-name="dom:load" xlink:href="vnd.sun.star.script:Standard.Module1.Main?)"
          R"(language=Basic&amp;location=document" xlink:type="simple"/></office:event-listeners></office:scripts>)";
    return TextDocument(scripts, "<text:p>マクロ付きの文書</text:p>");
}

std::string SlideDocument()
{
    return std::string(R"(<?xml version="1.0" encoding="UTF-8"?><office:document )") + OdfNamespaces
        + R"(office:mimetype="application/vnd.oasis.opendocument.presentation"><office:body><office:presentation>)"
          R"(<draw:page draw:name="p1"><draw:frame svg:x="2cm" svg:y="2cm" svg:width="20cm" svg:height="4cm">)"
          R"(<draw:text-box><text:p>会議資料　第一版</text:p></draw:text-box></draw:frame></draw:page>)"
          R"(</office:presentation></office:body></office:document>)";
}

// A fax page's rows and columns for a place on the A4 page, in cm (the page
// is fitted inside the fax page's margins).
TPlacement A4OnFax() { return PlacePictureOnPage(2100, 2970); }
int Column(double cm) { return A4OnFax().Left + static_cast<int>(cm / 21.0 * A4OnFax().Width); }
int Row(double cm) { return A4OnFax().Top + static_cast<int>(cm / 29.7 * A4OnFax().Height); }

} // namespace

TEST(OfficeDocuments, EachIsFaxedWithItsPagesAndLayoutAndNoMacroRuns)
{
    if (!OfficeInstalled())
        GTEST_SKIP() << "LibreOffice is not installed here";
    TTempDir dir;
    std::string marker = dir / "macro-ran";
    struct TCase {
        std::string Name, Source, Format, Filter;
        TBodyType Type;
        int Pages;
        std::string Path = {};
    } cases[] = {
        {"letter.fodt", LetterDocument(), "docx:MS Word 2007 XML", "OpenDocument Text Flat XML", btDocx, 2},
        {"sheet.csv", "品名,数量\nりんご,12\nみかん,30\n", "xlsx:Calc MS Excel 2007 XML",
         "Text - txt - csv (StarCalc):44,34,76,1", btXlsx, 1},
        {"slides.fodp", SlideDocument(), "pptx:Impress MS PowerPoint 2007 XML", "OpenDocument Presentation Flat XML",
         btPptx, 1},
        {"macro.fodt", MacroDocument(marker), "odt:writer8", "OpenDocument Text Flat XML", btOdt, 1},
    };
    for (TCase& test : cases) {
        std::vector<std::string> made = ConvertWithOffice({dir.WriteFile(test.Name, test.Source)}, test.Format,
                                                          test.Filter);
        ASSERT_EQ(made.size(), 1u) << "LibreOffice did not make " << test.Name;
        test.Path = made[0];
    }
    ASSERT_FALSE(fs::exists(marker));

    TServiceProcess service(dir / "data", dir / "run/socket");
    ASSERT_TRUE(service.Start("", {"--office-idle", "3"}));
    for (const TCase& test : cases) {
        std::string error;
        EXPECT_EQ(SniffBodyType(test.Path, error), test.Type) << test.Path;
        QJsonObject answer = service.Ask({{"op", "submit"},
                                          {"recipients", QJsonArray{"0312345678"}},
                                          {"body", QString::fromStdString(test.Path)}});
        ASSERT_TRUE(answer["ok"].toBool()) << answer["error"].toString().toStdString();
    }
    std::vector<QJsonObject> jobs = service.WaitUntilSettled();
    ASSERT_EQ(jobs.size(), std::size(cases));
    std::vector<std::vector<TFaxPage>> faxes;
    for (size_t i = 0; i < jobs.size(); ++i) {
        EXPECT_EQ(jobs[i]["state"].toString(), "done") << cases[i].Path << ": "
                                                        << jobs[i]["error"].toString().toStdString();
        std::vector<TFaxPage> pages;
        std::string error;
        ReadFaxTiff(dir / ("data/SentItems/" + jobs[i]["id"].toString().toStdString() + ".tif"), pages, error);
        EXPECT_EQ(pages.size(), static_cast<size_t>(cases[i].Pages)) << cases[i].Path << error;
        for (const TFaxPage& page : pages)
            EXPECT_GT(page.CountBlack(), 200) << cases[i].Path;
        faxes.push_back(pages);
    }
    EXPECT_FALSE(fs::exists(marker)) << "the document's macro ran";

    // The letter: ink in the heading and the table, the table's border a line
    // across the text's width, the picture solid black where it was put, and
    // nothing in between; page 2 holds one line at its top.
    ASSERT_EQ(faxes[0].size(), 2u);
    const TFaxPage& first = faxes[0][0];
    EXPECT_GT(first.CountBlack(Column(2), Row(2), Column(19), Row(3.5)), 1000);
    int borderRows = 0;
    for (int y = Row(3); y < Row(7); ++y)
        borderRows += first.CountBlack(Column(2), y, Column(19), y + 1) > (Column(19) - Column(2)) * 9 / 10;
    EXPECT_GE(borderRows, 2);
    EXPECT_EQ(first.CountBlack(0, Row(9), first.Width, Row(19.8)), 0);
    long pictureArea = static_cast<long>(Column(15.8) - Column(12.2)) * (Row(23.8) - Row(20.2));
    EXPECT_GT(first.CountBlack(Column(12.2), Row(20.2), Column(15.8), Row(23.8)), pictureArea * 95 / 100);
    EXPECT_EQ(first.CountBlack(0, Row(24.3), first.Width, first.Height), 0);
    const TFaxPage& second = faxes[0][1];
    EXPECT_GT(second.CountBlack(Column(2), Row(2), Column(10), Row(3)), 100);
    EXPECT_EQ(second.CountBlack(0, Row(4), second.Width, second.Height), 0);

    // LibreOffice ends when the service has had nothing to print for a while.
    std::string profiles = dir / "data/office";
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!ProcessesMentioning(profiles).empty() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(ProcessesMentioning(profiles).empty());
}
