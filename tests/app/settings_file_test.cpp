#include "app/settings_file.h"

#include <gtest/gtest.h>

namespace {

bool Exists(const std::string& folder) { return folder == "/srv/fax/sent" || folder == "/tmp"; }

void ExpectDefaults(const TSettings& s, const std::string& folder = {}) {
    EXPECT_EQ(s.Folder, folder);
    EXPECT_EQ(s.Box1, "1");
    EXPECT_EQ(s.Box2, "1");
    EXPECT_EQ(s.Depth, "2");
}

} // namespace

TEST(SettingsFile, MissingOrEmptyFileGivesTheDefaults) {
    ExpectDefaults(ParseSettings("", Exists));
    EXPECT_EQ(FormatSettings(TSettings{}), "\r\n1\r\n1\r\n2");
}

TEST(SettingsFile, AFolderAloneWithoutLineBreakKeepsTheOtherDefaults) {
    ExpectDefaults(ParseSettings("/srv/fax/sent", Exists), "/srv/fax/sent");
}

TEST(SettingsFile, AFolderThatNoLongerExistsComesBackEmpty) {
    TSettings s = ParseSettings("/gone\r\n0\r\n0\r\n3", Exists);
    EXPECT_EQ(s.Folder, "");
    EXPECT_EQ(s.Box1, "0");
    EXPECT_EQ(s.Box2, "0");
    EXPECT_EQ(s.Depth, "3");
}

TEST(SettingsFile, AnUnacceptableLineKeepsItsDefaultAndLaterLinesAreStillRead) {
    TSettings s = ParseSettings("/tmp\r\nyes\r\n0\r\n1", Exists);
    EXPECT_EQ(s.Box1, "1");
    EXPECT_EQ(s.Box2, "0");
    EXPECT_EQ(s.Depth, "1");
    EXPECT_EQ(ParseSettings("\r\n1\r\n1\r\n4", Exists).Depth, "2");
    EXPECT_EQ(ParseSettings("\r\n 1\r\n1\r\n3 ", Exists).Box1, "1");
    EXPECT_EQ(ParseSettings("\r\n0\r\n1\r\n3 ", Exists).Depth, "2");
}

TEST(SettingsFile, LfOnlyAndLoneCrLineEndsReadLikeCrLf) {
    TSettings crlf = ParseSettings("/tmp\r\n0\r\n1\r\n3", Exists);
    for (const char* text : {"/tmp\n0\n1\n3", "/tmp\r0\r1\r3", "/tmp\r\n0\n1\r3\r\n"}) {
        TSettings s = ParseSettings(text, Exists);
        EXPECT_EQ(s.Folder, crlf.Folder) << text;
        EXPECT_EQ(s.Box1, crlf.Box1) << text;
        EXPECT_EQ(s.Box2, crlf.Box2) << text;
        EXPECT_EQ(s.Depth, crlf.Depth) << text;
    }
}

TEST(SettingsFile, LinesAfterTheFourthAreIgnoredAndARoundTripKeepsEverything) {
    TSettings s = ParseSettings("/tmp\r\n0\r\n1\r\n1\r\ngarbage\r\n3", Exists);
    EXPECT_EQ(s.Depth, "1");
    TSettings written{"/srv/fax/sent", "0", "1", "3"};
    TSettings back = ParseSettings(FormatSettings(written), Exists);
    EXPECT_EQ(back.Folder, written.Folder);
    EXPECT_EQ(back.Box1, written.Box1);
    EXPECT_EQ(back.Box2, written.Box2);
    EXPECT_EQ(back.Depth, written.Depth);
}

TEST(SettingsFile, AJapaneseFolderNameSurvivesAsBytes) {
    auto exists = [](const std::string& f) { return f == "/home/事務所/送信済み"; };
    TSettings written{"/home/事務所/送信済み", "1", "0", "2"};
    EXPECT_EQ(ParseSettings(FormatSettings(written), exists).Folder, written.Folder);
}
