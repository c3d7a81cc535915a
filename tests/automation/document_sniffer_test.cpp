#include "automation/office/document_sniffer.h"

#include <gtest/gtest.h>
#include <string>

using namespace std::string_literals;

TEST(DocumentSniffer, BinaryDataIsADocumentOnlyWithAKnownBeginning) {
    EXPECT_TRUE(LooksLikeDocument("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0\0\0"s));
    EXPECT_TRUE(LooksLikeDocument("PK\x03\x04\x14\0\x06\0"s));
    EXPECT_TRUE(LooksLikeDocument("\x09\x04\x06\0\0\0"s));
    EXPECT_TRUE(LooksLikeDocument("\xFF\xFE" "a\0b\0"s));
    EXPECT_FALSE(LooksLikeDocument("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR"s));
    EXPECT_FALSE(LooksLikeDocument("\x7F" "ELF\x02\x01\x01\0"s));
    EXPECT_FALSE(LooksLikeDocument("plain text\0with a NUL"s));
    // A compound file's signature only counts at the very beginning.
    EXPECT_FALSE(LooksLikeDocument("x\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0"s));
}

TEST(DocumentSniffer, TextIsLeftForLibreOfficeToJudge) {
    EXPECT_TRUE(LooksLikeDocument("<html><body>表</body></html>"));
    EXPECT_TRUE(LooksLikeDocument("{\\rtf1\\ansi hello}"));
    EXPECT_TRUE(LooksLikeDocument("品名,数量\nりんご,3\n"));
    EXPECT_TRUE(LooksLikeDocument(""));
}
