#include "automation/automation_error.h"
#include "automation/regexp/reg_exp.h"
#include "automation/regexp/regexp_servers.h"
#include "automation/server_registry.h"

#include <gtest/gtest.h>

namespace {

TVariant NewRegExp(const std::string& pattern, bool global = true, bool ignoreCase = false) {
    TVariant re = MakeObject<TRegExp>();
    re.Put("Pattern", pattern);
    re.Put("Global", global);
    re.Put("IgnoreCase", ignoreCase);
    return re;
}

std::vector<std::string> Values(const TVariant& matches) {
    std::vector<std::string> values;
    int32_t count = matches.Get("Count").AsInt32();
    for (int32_t i = 0; i < count; ++i) values.push_back(matches.Call("Item", {i}).Get("Value").AsString());
    return values;
}

std::string Replace(const std::string& pattern, const std::string& text, const std::string& replacement,
                    bool global = true) {
    return NewRegExp(pattern, global).Call("Replace", {text, replacement}).AsString();
}

using TStrings = std::vector<std::string>;

} // namespace

TEST(RegExp, PropertiesStartEmptyAndKeepWhatIsPut) {
    RegisterRegExpServers();
    TVariant re = CreateObject("VBScript.RegExp");
    EXPECT_EQ(re.Get("Pattern").AsString(), "");
    EXPECT_FALSE(re.Get("Global").AsBool());
    EXPECT_FALSE(re.Get("IgnoreCase").AsBool());
    re.Put("Pattern", ">[^<>]+<");
    re.Put("Global", true);
    re.Put("ignorecase", true);
    EXPECT_EQ(re.Get("Pattern").AsString(), ">[^<>]+<");
    EXPECT_TRUE(re.Get("Global").AsBool());
    EXPECT_TRUE(re.Get("IgnoreCase").AsBool());
}

TEST(RegExp, ExecuteFindsAllMatchesOnlyWhenGlobal) {
    TVariant all = NewRegExp(">[^<>]+<").Call("Execute", {"<p>A</p>\n<p>B</p>"});
    EXPECT_EQ(Values(all), (TStrings{">A<", ">\n<", ">B<"}));
    TVariant second = all.Call("Item", {1});
    EXPECT_EQ(second.Get("FirstIndex").AsInt32(), 7);
    EXPECT_EQ(second.Get("Length").AsInt32(), 3);
    EXPECT_THROW(all.Call("Item", {3}), TAutomationError);
    EXPECT_THROW(all.Call("Item", {-1}), TAutomationError);

    TVariant first = NewRegExp(">[^<>]+<", false).Call("Execute", {"<p>A</p>\n<p>B</p>"});
    EXPECT_EQ(Values(first), TStrings{">A<"});
    EXPECT_EQ(NewRegExp("z").Call("Execute", {"abc"}).Get("Count").AsInt32(), 0);
    EXPECT_TRUE(NewRegExp("b").Call("Test", {"abc"}).AsBool());
    EXPECT_FALSE(NewRegExp("z").Call("Test", {"abc"}).AsBool());
}

TEST(RegExp, IgnoreCaseFoldsLettersAndTakesEffectAfterAChange) {
    TVariant re = NewRegExp("&nbsp;");
    EXPECT_EQ(re.Call("Replace", {"a&NBSP;b&nbsp;c", " "}).AsString(), "a&NBSP;b c");
    re.Put("IgnoreCase", true);
    EXPECT_EQ(re.Call("Replace", {"a&NBSP;b&Nbsp;c", " "}).AsString(), "a b c");
    re.Put("Pattern", "&amp;");
    EXPECT_EQ(re.Call("Replace", {"&AMP;lt;", "&"}).AsString(), "&lt;");
}

TEST(RegExp, ReplaceIsLiteralExceptForDollarReferences) {
    EXPECT_EQ(Replace("<", "a<b<c", ""), "abc");
    EXPECT_EQ(Replace("<", "a<b<c", "", false), "ab<c");
    EXPECT_EQ(Replace("(\\w+)@(\\w+)", "me@home", "$2 at $1 ($&) $$1"), "home at me (me@home) $1");
    EXPECT_EQ(Replace("b", "abc", "[$`|$']"), "a[a|c]c");
    // A reference to a group that does not exist stays as written; an unset
    // group gives nothing.
    EXPECT_EQ(Replace("(a)|(b)", "ab", "<$1$2$3>"), "<a$3><b$3>");
    EXPECT_EQ(Replace("(a)", "a", "$10"), "a0");
    EXPECT_EQ(Replace("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghij", "$10$1"), "ja");
    EXPECT_EQ(Replace("a", "a", "$"), "$");
    EXPECT_EQ(Replace("a", "a", "$x"), "$x");
}

TEST(RegExp, EmptyMatchesMoveOnByOne) {
    EXPECT_EQ(Replace("x*", "abc", "-"), "-a-b-c-");
    EXPECT_EQ(Replace("a*", "baaa", "-"), "-b--");
    EXPECT_EQ(NewRegExp("").Call("Execute", {"ab"}).Get("Count").AsInt32(), 3);
}

TEST(RegExp, LineEndsFollowScriptRules) {
    EXPECT_FALSE(NewRegExp("a$").Call("Test", {"a\n"}).AsBool());
    EXPECT_FALSE(NewRegExp("a.b").Call("Test", {"a\nb"}).AsBool());
    EXPECT_FALSE(NewRegExp("a.b").Call("Test", {"a\rb"}).AsBool());
    TVariant re = NewRegExp("^b");
    EXPECT_FALSE(re.Call("Test", {"a\r\nb"}).AsBool());
    re.Put("Multiline", true);
    EXPECT_TRUE(re.Call("Test", {"a\r\nb"}).AsBool());
}

TEST(RegExp, ShiftJisAndStrayBytesAreSearchedAsBytes) {
    // 表示 in Shift-JIS: the trail byte of 表 is a backslash.
    const std::string hyouji("\x95\x5c\x8e\xa6");
    const std::string html = "<p>" + hyouji + "</p><b>\xff\xfe</b>";
    EXPECT_EQ(Values(NewRegExp(">[^<>]+<", true, true).Call("Execute", {html})),
              (TStrings{">" + hyouji + "<", ">\xff\xfe<"}));
    EXPECT_EQ(NewRegExp(".").Call("Execute", {hyouji}).Get("Count").AsInt32(), 4);
    EXPECT_EQ(Replace("&amp;", hyouji + "&amp;" + hyouji, "&"), hyouji + "&" + hyouji);
    EXPECT_EQ(Replace("\\\\", hyouji, "/"), "\x95/\x8e\xa6");
    // A pattern cannot switch the matcher into UTF-8 mode.
    EXPECT_THROW(NewRegExp("(*UTF)a").Call("Test", {"a"}), TAutomationError);
}

TEST(RegExp, AnInvalidPatternRaisesWhenUsed) {
    TVariant re = MakeObject<TRegExp>();
    EXPECT_NO_THROW(re.Put("Pattern", "(unclosed"));
    try {
        re.Call("Execute", {"text"});
        FAIL() << "an invalid pattern was accepted";
    } catch (const TAutomationError& error) {
        EXPECT_NE(std::string(error.what()).find("Syntax error"), std::string::npos) << error.what();
    }
    EXPECT_THROW(re.Call("Replace", {"text", "x"}), TAutomationError);
    re.Put("Pattern", "t");
    EXPECT_EQ(re.Call("Replace", {"text", "x"}).AsString(), "xext");
}

TEST(RegExp, APatternThatWouldBacktrackForEverStops) {
    // Without a bound on backtracking these take longer than anyone waits.
    const std::pair<const char*, std::string> cases[] = {
        {"^(\\w+\\s?)*$", std::string(40, 'a') + "!"},
        {"(a|aa)+$", std::string(60, 'a') + "b"},
        {"^(([a-z])+.)+[A-Z]([a-z])+$", std::string(40, 'a') + "!"},
    };
    for (const auto& [pattern, text] : cases) {
        TVariant re = NewRegExp(pattern);
        try {
            EXPECT_EQ(re.Call("Execute", {text}).Get("Count").AsInt32(), 0) << pattern;
        } catch (const TAutomationError& error) {
            EXPECT_NE(std::string(error.what()).find("too complex"), std::string::npos) << error.what();
        }
    }
}
