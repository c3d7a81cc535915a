#include "automation/automation_error.h"
#include "automation/regexp/reg_exp.h"
#include "automation/regexp/regexp_servers.h"
#include "automation/scripting/scripting_servers.h"
#include "automation/server_registry.h"
#include "send/text_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

namespace {

class HtmlText : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterScriptingServers();
        RegisterRegExpServers();
    }
    std::string TextOf(const std::string& html) { return HtmlToText(Dir.WriteFile("page.html", html)); }
    TTempDir Dir;
};

} // namespace

TEST_F(HtmlText, KeepsTheRunsBetweenTagsInDocumentOrder) {
    EXPECT_EQ(TextOf("<p>A</p>\n<p>B&amp;C</p>"), "A\nB&C");
    EXPECT_EQ(TextOf("<html><body>\r\n<h1>Title</h1>\r\n<p>one <b>two</b> three</p></body></html>"),
              "\r\nTitle\r\none two three");
    EXPECT_EQ(TextOf("<p>a</p><p></p><br><p>b</p>"), "ab");
}

TEST_F(HtmlText, DropsTextBeforeTheFirstTagAndAfterTheLast) {
    EXPECT_EQ(TextOf("Hello <b>World</b>!"), "World");
    EXPECT_EQ(TextOf("no tags at all"), "");
    EXPECT_EQ(TextOf(""), "");
}

TEST_F(HtmlText, DecodesFourEntitiesInAnyCaseTheAmpersandLast) {
    EXPECT_EQ(TextOf("<p>a&NBSP;b&Nbsp;c&nbsp;d</p>"), "a b c d");
    EXPECT_EQ(TextOf("<p>&lt;tag&GT; &AMP;</p>"), "<tag> &");
    // An escaped ampersand decodes one level only.
    EXPECT_EQ(TextOf("<p>&amp;lt;&amp;amp;</p>"), "&lt;&amp;");
    EXPECT_EQ(TextOf("<p>&#12354;&quot;&copy;</p>"), "&#12354;&quot;&copy;");
}

TEST_F(HtmlText, CommentsVanishAndScriptTextStays) {
    EXPECT_EQ(TextOf("<p>a<!-- note -->b</p>"), "ab");
    EXPECT_EQ(TextOf("<script>var x = 1;</script><style>p { }</style>"), "var x = 1;p { }");
}

TEST_F(HtmlText, ShiftJisTextComesThroughByteForByte) {
    // 表示 and ソフト in Shift-JIS; both hold a backslash trail byte.
    const std::string hyouji("\x95\x5c\x8e\xa6");
    const std::string sofuto("\x83\x5c\x83\x74\x83\x67");
    EXPECT_EQ(TextOf("<P>" + hyouji + "</P>\r\n<P>" + sofuto + "&nbsp;&AMP;</P>"),
              hyouji + "\r\n" + sofuto + " &");
}

TEST_F(HtmlText, AFileThatCannotBeReadGivesEmptyText) {
    EXPECT_EQ(HtmlToText(Dir / "missing.html"), "");
    EXPECT_EQ(HtmlToText(Dir.Path().string()), "");
}

TEST_F(HtmlText, MakesItsRegExpPerCallReleasesItAndLetsCreationErrorsThrough) {
    std::string path = Dir.WriteFile("page.html", "<p>x</p>");
    std::vector<std::weak_ptr<TAutomationObject>> made;
    {
        TScopedServerOverride watch("VBScript.RegExp", [&made] {
            auto re = std::make_shared<TRegExp>();
            made.push_back(re);
            return re;
        });
        EXPECT_EQ(HtmlToText(path), "x");
        EXPECT_EQ(HtmlToText(path), "x");
    }
    ASSERT_EQ(made.size(), 2u);
    EXPECT_TRUE(made[0].expired());
    EXPECT_TRUE(made[1].expired());

    TScopedServerOverride missing("VBScript.RegExp", nullptr);
    EXPECT_THROW(HtmlToText(path), TAutomationError);
}
