#include "body_renderer.h"
#include "fax_tiff.h"
#include "temp_dir.h"
#include "text_encoding.h"
#include "text_layout.h"
#include "text_renderer.h"

#include <gtest/gtest.h>

namespace {

const std::string Hello = "こんにちは";

// Lays text out with every character one unit wide.
std::vector<TTextPage> Layout(const std::u32string& text, double width, int lines = 100)
{
    return LayoutText(text, TTextFrame{width, lines, 8}, [](char32_t) { return 1.0; });
}

std::u32string LineText(const TTextLine& line)
{
    std::u32string text;
    for (const TTextRun& run : line.Runs)
        text += run.Text;
    return text;
}

std::vector<TFaxPage> RenderText(const std::string& bytes, std::string& error)
{
    TTempDir dir;
    std::string body = dir.WriteFile("memo.txt", bytes);
    if (SniffBodyType(body, error) != btText)
        return {};
    int pages = 0;
    std::vector<TFaxPage> result;
    if (RenderBody(body, btText, dir / "out.tif", pages, error))
        ReadFaxTiff(dir / "out.tif", result, error);
    return result;
}

// Rows of the page that hold ink.
int FirstInkRow(const TFaxPage& page)
{
    for (int y = 0; y < page.Height; ++y)
        if (page.CountBlack(0, y, page.Width, y + 1))
            return y;
    return -1;
}

int LastInkRow(const TFaxPage& page)
{
    for (int y = page.Height - 1; y >= 0; --y)
        if (page.CountBlack(0, y, page.Width, y + 1))
            return y;
    return -1;
}

} // namespace

TEST(TextEncoding, JapaneseInEveryAcceptedEncodingDecodesToTheSameText)
{
    struct TCase {
        std::string Bytes;
        TTextEncoding Encoding;
    };
    std::vector<TCase> cases = {
        {Hello, teUtf8},
        {"\xEF\xBB\xBF" + Hello, teUtf8},
        {std::string("\xFF\xFE\x53\x30\x93\x30\x6B\x30\x61\x30\x6F\x30", 12), teUtf16Le},
        {std::string("\xFE\xFF\x30\x53\x30\x93\x30\x6B\x30\x61\x30\x6F", 12), teUtf16Be},
        {"\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD", teShiftJis},
        {"\xA4\xB3\xA4\xF3\xA4\xCB\xA4\xC1\xA4\xCF", teEucJp},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(DetectTextEncoding(c.Bytes), c.Encoding) << TextEncodingName(c.Encoding);
        std::string utf8;
        ASSERT_TRUE(DecodeText(c.Bytes, utf8)) << TextEncodingName(c.Encoding);
        EXPECT_EQ(utf8, Hello) << TextEncodingName(c.Encoding);
    }
    // Shift-JIS with a trail byte in the ASCII range (表 = 0x95 0x5C) and a
    // CP932 extension (① = 0x87 0x40).
    std::string utf8;
    ASSERT_TRUE(DecodeText("\x95\x5C\x87\x40", utf8));
    EXPECT_EQ(utf8, "表①");
}

TEST(TextEncoding, BinaryAndMalformedBytesAreNotText)
{
    EXPECT_EQ(DetectTextEncoding(std::string("abc\0def", 7)), teNone);
    EXPECT_EQ(DetectTextEncoding("\x01\x02\x03 control"), teNone);
    EXPECT_EQ(DetectTextEncoding("\x80\x80\x80"), teNone);
    EXPECT_EQ(DetectTextEncoding("\xFF\xFE\x41"), teNone); // odd UTF-16 length
    EXPECT_EQ(DetectTextEncoding("tab\tform feed\f\r\nline"), teUtf8);
}

TEST(TextLayout, LinesFormFeedsAndTabs)
{
    std::vector<TTextPage> pages = Layout(U"one\r\ntwo\rthree\n\nfive\fpage two\n", 40);
    ASSERT_EQ(pages.size(), 2u);
    ASSERT_EQ(pages[0].size(), 5u);
    EXPECT_EQ(LineText(pages[0][2]), U"three");
    EXPECT_TRUE(pages[0][3].Runs.empty());
    EXPECT_EQ(LineText(pages[1][0]), U"page two");
    // A trailing form feed makes no empty page; a leading one neither.
    EXPECT_EQ(Layout(U"\fa\f", 40).size(), 1u);
    EXPECT_EQ(Layout(U"a\f\fb", 40).size(), 3u);

    std::vector<TTextPage> tabbed = Layout(U"ab\tc\td", 40);
    ASSERT_EQ(tabbed[0][0].Runs.size(), 3u);
    EXPECT_EQ(tabbed[0][0].Runs[1].X, 8.0);
    EXPECT_EQ(tabbed[0][0].Runs[2].X, 16.0);
}

TEST(TextLayout, LongLinesWrapWithJapaneseRulesAndPagesFill)
{
    // Ten per line: the eleventh character would be "、", which may not start a line.
    std::vector<TTextPage> pages = Layout(U"あいうえおかきくけこ、さしすせそ", 10);
    ASSERT_EQ(pages[0].size(), 2u);
    EXPECT_EQ(LineText(pages[0][1]).front(), U'こ');
    EXPECT_EQ(LineText(pages[0][0]).size(), 9u);
    // An opening bracket does not end a line.
    pages = Layout(U"あいうえおかきくけ「こ」", 10);
    EXPECT_EQ(LineText(pages[0][1]).front(), U'「');
    // Closing brackets and "。" never begin a line, whatever the width.
    std::u32string text;
    for (int i = 0; i < 30; ++i)
        text += U"日本語の文です。」";
    for (double width : {7.0, 9.0, 10.0, 13.0}) {
        std::vector<TTextPage> wrapped = Layout(text, width);
        for (const TTextLine& line : wrapped[0]) {
            std::u32string t = LineText(line);
            ASSERT_FALSE(t.empty());
            EXPECT_TRUE(MayStartLine(t.front())) << "width " << width;
            EXPECT_LE(t.size(), static_cast<size_t>(width));
        }
    }
    // Latin text wraps between words; a word longer than a line is cut.
    pages = Layout(U"the quick brown fox jumps", 12);
    ASSERT_EQ(pages[0].size(), 3u);
    EXPECT_EQ(LineText(pages[0][0]), U"the quick ");
    EXPECT_EQ(LineText(pages[0][1]), U"brown fox ");
    EXPECT_EQ(Layout(U"abcdefghijklmnopqrstuvwxyz", 10)[0].size(), 3u);
    // Full pages continue on the next one.
    EXPECT_EQ(Layout(U"1\n2\n3\n4\n5\n6\n7", 10, 3).size(), 3u);
}

TEST(TextRendering, InkLiesOnTheLinesOfTheText)
{
    std::string error;
    std::vector<TFaxPage> one = RenderText("あいう\n", error);
    ASSERT_EQ(one.size(), 1u) << error;
    std::vector<TFaxPage> three = RenderText("あいう\n\n\nあいう\n", error);
    ASSERT_EQ(three.size(), 1u) << error;
    int top = FirstInkRow(one[0]);
    // Inside the 20 mm top margin nothing; the first line just below it.
    EXPECT_GT(top, 150);
    EXPECT_LT(top, 200);
    EXPECT_LT(LastInkRow(one[0]), top + 40);
    // The fourth line is three line heights lower (1.5 times the 29-pixel font).
    EXPECT_NEAR(LastInkRow(three[0]) - LastInkRow(one[0]), 3 * 44, 2);
    // Left margin, and the ink of three characters about 3 x 29 pixels wide (x 204/196).
    EXPECT_EQ(one[0].CountBlack(0, 0, 150, one[0].Height), 0);
    EXPECT_GT(one[0].CountBlack(160, top, 250, top + 40), 100);
    EXPECT_EQ(one[0].CountBlack(270, 0, one[0].Width, one[0].Height), 0);
}

TEST(TextRendering, FormFeedsLongTextsAndEncodingsMakeTheRightPages)
{
    std::string error;
    std::vector<TFaxPage> pages = RenderText("page one\fpage two\fpage three", error);
    ASSERT_EQ(pages.size(), 3u) << error;
    for (const TFaxPage& page : pages)
        EXPECT_GT(page.CountBlack(), 200);

    std::string many;
    for (int i = 0; i < 100; ++i)
        many += "line " + std::to_string(i) + "\n";
    pages = RenderText(many, error);
    EXPECT_EQ(pages.size(), 3u) << error; // 45 lines a page

    // The same text in Shift-JIS and UTF-8 gives the same page.
    std::vector<TFaxPage> sjis = RenderText("\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD", error);
    std::vector<TFaxPage> utf8 = RenderText(Hello, error);
    ASSERT_EQ(sjis.size(), 1u);
    ASSERT_EQ(utf8.size(), 1u);
    EXPECT_TRUE(sjis[0] == utf8[0]);
    EXPECT_GT(utf8[0].CountBlack(), 500);
}
