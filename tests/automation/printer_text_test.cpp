#include "automation/office/printer_text.h"

#include <gtest/gtest.h>

TEST(SheetCsv, QuotedCellsAreTextAndKeepCommasQuotesAndLineBreaks) {
    std::vector<TSheetRow> rows = ParseSheetCsv("\"a,b\",12,\"say \"\"hi\"\"\"\r\n,\"two\nlines\",\n\"\"\n");
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_EQ(rows[0].size(), 3u);
    EXPECT_EQ(rows[0][0].Text, "a,b");
    EXPECT_TRUE(rows[0][0].IsText);
    EXPECT_EQ(rows[0][1].Text, "12");
    EXPECT_FALSE(rows[0][1].IsText);
    EXPECT_EQ(rows[0][2].Text, "say \"hi\"");
    ASSERT_EQ(rows[1].size(), 3u);
    EXPECT_EQ(rows[1][0].Text, "");
    EXPECT_EQ(rows[1][1].Text, "two\nlines");
    EXPECT_EQ(rows[1][2].Text, "");
    ASSERT_EQ(rows[2].size(), 1u);
    EXPECT_TRUE(rows[2][0].IsText);
    // The last row needs no line break.
    EXPECT_EQ(ParseSheetCsv("1,2").size(), 1u);
    EXPECT_TRUE(ParseSheetCsv("").empty());
}

TEST(DisplayWidth, FullWidthAndAmbiguousCharactersTakeTwoColumns) {
    EXPECT_EQ(DisplayWidth("abc 123"), 7);
    EXPECT_EQ(DisplayWidth("漢字かなカナ"), 12);
    EXPECT_EQ(DisplayWidth("ＡＢＣ１２３　"), 14);
    EXPECT_EQ(DisplayWidth("ｱｲｳ"), 3); // half-width katakana
    EXPECT_EQ(DisplayWidth("○①※"), 6);
    EXPECT_EQ(DisplayWidth("e\xCC\x81"), 1); // e and a combining accent
    EXPECT_EQ(DisplayWidth("\xFF\xFE"), 2);   // broken bytes count one each
}

TEST(PrinterText, ColumnsAreAlignedTextLeftNumbersRightFullWidthCountedTwice) {
    std::vector<TSheetRow> rows = {
        {{"名前", true}, {"金額", true}},
        {{"ab", true}, {"5", false}},
        {{"ｱｲｳ", true}, {"1,200", false}},
    };
    EXPECT_EQ(LayoutPrinterText(rows), "名前 金額\n"
                                       "ab       5\n"
                                       "ｱｲｳ  1,200\n");
}

TEST(PrinterText, EmptyColumnsAreLeftOutAndTrailingBlanksTrimmed) {
    std::vector<TSheetRow> rows = {
        {{"", false}, {"x", true}, {"", false}, {"tail  ", true}},
        {},
        {{"", false}, {"long text", true}, {"", false}, {"", false}},
        {{"", false}, {"", false}, {"", false}, {"7", false}},
    };
    EXPECT_EQ(LayoutPrinterText(rows), "x         tail\n"
                                       "\n"
                                       "long text\n"
                                       "               7\n");
}

TEST(PrinterText, LineBreaksInsideACellDoNotBreakTheRow) {
    std::vector<TSheetRow> rows = {{{"two\nlines", true}, {"1", false}}};
    EXPECT_EQ(LayoutPrinterText(rows), "two lines 1\n");
}
