// Word and Excel documents through the resident LibreOffice shared by the
// whole executable.
#include "office_fixtures.h"
#include "temp_dir.h"

#include "automation/automation_error.h"
#include "send/office_text.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

class OfficeConversion : public ::testing::Test {
protected:
    void SetUp() override {
        if (!OfficeInstalled()) GTEST_SKIP() << "LibreOffice (soffice) is not installed here";
        ASSERT_FALSE(Samples().Sheet.empty()) << "LibreOffice could not make the sample documents";
    }
    TOfficeServersOverride Servers {SharedConverter()};
    TTempDir Output;
};

std::string Trimmed(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) < 33) ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) < 33) --last;
    return text.substr(first, last - first);
}

} // namespace

TEST_F(OfficeConversion, WordWritesParagraphsOnTheirOwnLinesAndTablesCellByCell) {
    std::string text = Output / "paragraphs.txt";
    ASSERT_TRUE(WordToText(Samples().Paragraphs, text));
    EXPECT_EQ(ReadFileBytes(text), ParagraphsText);

    std::string table = Output / "table.txt";
    ASSERT_TRUE(WordToText(Samples().Table, table));
    EXPECT_EQ(ReadFileBytes(table), TableText);
}

TEST_F(OfficeConversion, ExcelWritesTheSheetAsAPrinterShowsIt) {
    std::string text = Output / "sheet.txt";
    ASSERT_TRUE(ExcelToText(Samples().Sheet, text));
    EXPECT_EQ(ReadFileBytes(text), SheetText);
}

TEST_F(OfficeConversion, ADocumentWithoutTextOpensButGivesOnlyBlanks) {
    std::string text = Output / "empty.txt";
    ASSERT_TRUE(WordToText(Samples().Empty, text));
    EXPECT_EQ(Trimmed(ReadFileBytes(text)), "");
}

TEST_F(OfficeConversion, FilesThatAreNotDocumentsOfTheKindCannotBeOpened) {
    std::string text = Output / "out.txt";
    EXPECT_FALSE(WordToText(Output.WriteFile("noise.doc", NotADocument()), text));
    EXPECT_FALSE(ExcelToText(Output.WriteFile("noise.xls", NotADocument()), text));
    // A workbook is not a Word document, nor a Word document a workbook.
    EXPECT_FALSE(WordToText(Samples().Sheet, text));
    EXPECT_FALSE(ExcelToText(Samples().Paragraphs, text));
    EXPECT_FALSE(WordToText(Output / "missing.doc", text));
    EXPECT_FALSE(ExcelToText(Output.Path().string(), text));
    EXPECT_FALSE(std::filesystem::exists(text));
    // The resident LibreOffice survives refusals.
    ASSERT_TRUE(WordToText(Samples().Paragraphs, text));
    EXPECT_EQ(ReadFileBytes(text), ParagraphsText);
}

TEST_F(OfficeConversion, ASaveThatCannotBeWrittenStillCountsAsOpened) {
    std::string text = Output / "no-such-folder/out.txt";
    EXPECT_TRUE(WordToText(Samples().Paragraphs, text));
    EXPECT_TRUE(ExcelToText(Samples().Sheet, text));
    EXPECT_FALSE(std::filesystem::exists(text));
}

TEST_F(OfficeConversion, TheSourceIsLeftAsItWasWhateverItsName) {
    std::string folder = Output / "受信 フォルダ";
    std::filesystem::create_directories(folder);
    std::string source = folder + "/お知らせ (2024).DOC";
    std::filesystem::copy_file(Samples().Paragraphs, source);
    std::string before = ReadFileBytes(source);

    std::string text = Output / "out.txt";
    ASSERT_TRUE(WordToText(source, text));
    EXPECT_EQ(ReadFileBytes(text), ParagraphsText);
    EXPECT_EQ(ReadFileBytes(source), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
}

TEST_F(OfficeConversion, TheObjectModelServesOnlyItsTextFormatAndEndsWithQuit) {
    TVariant word = CreateObject("Word.Application");
    TVariant document = word.Get("Documents").Call("Open", {Samples().Paragraphs});
    EXPECT_THROW(document.Call("SaveAs", {Output / "a.doc", 0}), TAutomationError);
    EXPECT_THROW(document.Call("SaveAs", {Output / "a.txt"}), TAutomationError);
    document.Call("SaveAs", {Output / "a.txt", 2});
    EXPECT_EQ(ReadFileBytes(Output / "a.txt"), ParagraphsText);
    word.Call("Quit");
    // Quitting closed the document.
    EXPECT_THROW(document.Call("SaveAs", {Output / "b.txt", 2}), TAutomationError);
    EXPECT_THROW(word.Get("Documents"), TAutomationError);

    TVariant excel = CreateObject("Excel.Application");
    TVariant book = excel.Get("WorkBooks").Call("Open", {Samples().Sheet, 1});
    EXPECT_THROW(book.Call("SaveAs", {Output / "s.txt", 2}), TAutomationError);
    book.Call("Close", {false});
    EXPECT_THROW(book.Call("SaveAs", {Output / "s.txt", 36}), TAutomationError);
    EXPECT_FALSE(std::filesystem::exists(Output / "s.txt"));
    excel.Call("Quit");
}
