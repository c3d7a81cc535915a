#include "body_type.h"
#include "office_test_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

namespace {

const std::string OdfText = "application/vnd.oasis.opendocument.text";

struct TSniffCase {
    const char* What;
    std::string Bytes;
    std::string Name;
    TBodyType Expected;
};

} // namespace

TEST(BodyType, OfficeDocumentsAreToldByTheirContentAndCsvByItsName)
{
    const std::string xml = "<?xml version=\"1.0\"?><x/>";
    const TSniffCase cases[] = {
        {"docx", MakeZip({{"[Content_Types].xml", xml}, {"word/document.xml", xml}}), "a.bin", btDocx},
        {"docm", MakeZip({{"word/document.xml", xml}, {"word/vbaProject.bin", "x"}}), "a.docx", btDocm},
        {"xlsx", MakeZip({{"xl/workbook.xml", xml}}), "a.docx", btXlsx},
        {"pptx", MakeZip({{"ppt/presentation.xml", xml}}), "", btPptx},
        {"odt", MakeZip({{"mimetype", OdfText}, {"content.xml", xml}}), "", btOdt},
        {"ott", MakeZip({{"mimetype", OdfText + "-template"}}), "", btOdt},
        {"odp", MakeZip({{"mimetype", "application/vnd.oasis.opendocument.presentation"}}), "", btOdp},
        {"doc", MakeCompoundFile("WordDocument"), "a.xls", btDoc},
        {"xls", MakeCompoundFile("Workbook"), "", btXls},
        {"ppt", MakeCompoundFile("PowerPoint Document"), "", btPpt},
        {"rtf", "{\\rtf1\\ansi こんにちは}", "a.txt", btRtf},
        {"csv", "品名,数量\nりんご,12\n", "list.CSV", btCsv},
        {"csv named otherwise", "品名,数量\nりんご,12\n", "list.txt", btText},
        // What is no office document stays refused, whatever its name.
        {"zip of something else", MakeZip({{"readme.txt", "hello"}}), "a.docx", btUnknown},
        {"odf of another kind", MakeZip({{"mimetype", "application/vnd.oasis.opendocument.graphics"}}), "", btUnknown},
        {"mimetype not first", MakeZip({{"content.xml", xml}, {"mimetype", OdfText}}), "", btUnknown},
        {"compound file of another kind", MakeCompoundFile("__substg1.0_0037001F"), "a.doc", btUnknown},
        {"binary named csv", std::string("a,b\0c,d\n", 8), "a.csv", btUnknown},
    };
    TTempDir dir;
    for (const TSniffCase& test : cases) {
        std::string error;
        EXPECT_EQ(SniffBodyType(dir.WriteFile("body", test.Bytes), error, test.Name), test.Expected) << test.What;
    }
}
