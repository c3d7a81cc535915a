#include "send/send_route.h"

#include <gtest/gtest.h>

TEST(SendRoute, TheExtensionIsTakenFromTheLastDotOfTheFileNameAndLowerCased) {
    EXPECT_EQ(LowerExtension("/home/a/report.TXT"), ".txt");
    EXPECT_EQ(LowerExtension("/home/a/report.tar.Gz"), ".gz");
    EXPECT_EQ(LowerExtension("/home/a/README"), "");
    EXPECT_EQ(LowerExtension("/home/a.b/README"), "");  // a dot in a folder name does not count
    EXPECT_EQ(LowerExtension("/home/a/name."), ".");
    EXPECT_EQ(LowerExtension("/home/a/見積書.HTML"), ".html");
}

TEST(SendRoute, EveryExtensionGoesItsWay) {
    EXPECT_EQ(RouteForExtension(""), srRefused);
    for (const char* e : {".bmp", ".jpg", ".jpeg"}) EXPECT_EQ(RouteForExtension(e), srImage) << e;
    EXPECT_EQ(RouteForExtension(".doc"), srWord);
    EXPECT_EQ(RouteForExtension(".xls"), srExcel);
    for (const char* e : {".htm", ".html"}) EXPECT_EQ(RouteForExtension(e), srHtml) << e;
    for (const char* e : {".vbs", ".js", ".txt"}) EXPECT_EQ(RouteForExtension(e), srPlainText) << e;
    for (const char* e : {".", ".jpe", ".tif", ".pdf", ".rtf", ".docx", ".xlsx", ".text"})
        EXPECT_EQ(RouteForExtension(e), srAsIs) << e;
}

TEST(SendRoute, TrimmingRemovesControlBytesAndAsciiSpaceOnly) {
    EXPECT_EQ(TrimControlBytes(" \t\r\n abc \x01\x1f"), "abc");
    EXPECT_EQ(TrimControlBytes("\xe3\x80\x80x\xe3\x80\x80"), "\xe3\x80\x80x\xe3\x80\x80");  // full-width spaces stay
    EXPECT_EQ(TrimControlBytes(" \t\r\n "), "");
    EXPECT_EQ(TrimControlBytes(""), "");
    EXPECT_EQ(TrimControlBytes("a b"), "a b");
}

TEST(SendRoute, TheMemoPreviewCountsCharactersNotBytes) {
    EXPECT_EQ(FirstCharacters("今日は晴れです。明日", 5), "今日は晴れ");
    EXPECT_EQ(FirstCharacters("あいう", 5), "あいう");
    EXPECT_EQ(FirstCharacters("abcdefg", 5), "abcde");
    EXPECT_EQ(FirstCharacters("", 5), "");
}

TEST(SendRoute, LineBreaksAreWrittenAsCrLf) {
    EXPECT_EQ(WithCrLf("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(WithCrLf("last\n"), "last\r\n");
    EXPECT_EQ(WithCrLf("no break"), "no break");
}
