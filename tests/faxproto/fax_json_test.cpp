#include "faxproto/fax_json.h"

#include <gtest/gtest.h>

TEST(FaxJson, EncodesControlCharactersAndPassesUtf8Through) {
    TJsonValue value(TJsonValue::TObject{
        {"text", "a\"b\\c\n\r\t\x01\x1f\x7f 日本"},
        {"list", TJsonValue::TArray{int64_t(-7), true, false, TJsonValue()}},
        {"empty", TJsonValue::TObject{}},
    });
    EXPECT_EQ(EncodeJson(value),
              "{\"text\":\"a\\\"b\\\\c\\n\\r\\t\\u0001\\u001f\x7f 日本\",\"list\":[-7,true,false,null],\"empty\":{}}");
}

TEST(FaxJson, DecodesWhatItEncodes) {
    std::string text = std::string("\"\\/\x01\x1f日本語 ") + "\xF0\x9F\x93\xA0";
    std::optional<TJsonValue> back = DecodeJson(EncodeJson(TJsonValue(TJsonValue::TObject{{"k", text}})));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Find("k")->AsString(), text);
}

TEST(FaxJson, DecodesEscapesNumbersAndNesting) {
    std::optional<TJsonValue> value = DecodeJson(
        R"( {"ok":true,"jobs":[{"id":12,"number":"0312345678","pages":1.5,"error":null}],)"
        R"("s":"\u65e5\u672c\ud83d\udce0\/"} )");
    ASSERT_TRUE(value);
    EXPECT_TRUE(value->Find("ok")->AsBool());
    const TJsonValue& job = value->Find("jobs")->AsArray().at(0);
    EXPECT_EQ(job.Find("id")->AsInteger(), 12);
    EXPECT_EQ(job.Find("number")->AsString(), "0312345678");
    EXPECT_DOUBLE_EQ(job.Find("pages")->AsNumber(), 1.5);
    EXPECT_TRUE(job.Find("error")->IsNull());
    EXPECT_EQ(value->Find("s")->AsString(), "日本\xF0\x9F\x93\xA0/");
    EXPECT_EQ(value->Find("missing"), nullptr);
}

TEST(FaxJson, RejectsMalformedText) {
    for (const char* bad : {"", "{", "{\"ok\":true", "{\"ok\":true} x", "{ok:true}", "[1,]", "{\"a\":1,}",
                            "\"unterminated", "\"bad \\q escape\"", "\"\\ud83d alone\"", "\"\\udce0\"",
                            "\"raw\nnewline\"", "tru", "-", "1e", "{\"a\" 1}"})
        EXPECT_FALSE(DecodeJson(bad)) << bad;
    EXPECT_FALSE(DecodeJson(std::string(100000, '[') + std::string(100000, ']')));
    EXPECT_TRUE(DecodeJson(std::string(10, '[') + std::string(10, ']')));
}

TEST(FaxJson, Utf8Check) {
    EXPECT_TRUE(IsValidUtf8("/home/事務所/ファクス \xF0\x9F\x93\xA0.txt"));
    EXPECT_FALSE(IsValidUtf8("\x8c\xa9"));          // Shift-JIS
    EXPECT_FALSE(IsValidUtf8("\xe6\x97"));          // cut short
    EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xf4\x90\x80\x80"));  // beyond U+10FFFF
}
