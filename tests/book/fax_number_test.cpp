#include "book/fax_number.h"
#include "message_box_recorder.h"

#include <gtest/gtest.h>

TEST(FaxNumber, OnlyAsciiDigitsCount) {
    EXPECT_TRUE(IsDigitsOnly("0123456789"));
    EXPECT_TRUE(IsDigitsOnly("7"));
    EXPECT_FALSE(IsDigitsOnly(""));
    EXPECT_FALSE(IsDigitsOnly("03-1234-5678"));
    EXPECT_FALSE(IsDigitsOnly("０３１２３４５６７８"));  // full-width digits
    EXPECT_FALSE(IsDigitsOnly("03 12345678"));
    EXPECT_FALSE(IsDigitsOnly("(03)12345678"));
    EXPECT_FALSE(IsDigitsOnly(std::string("0312\0" "45678", 10)));
}

TEST(FaxNumber, TenAsciiDigitsPassSilentlyAndAnythingElseShowsTheMessage) {
    TMessageBoxRecorder boxes;
    EXPECT_TRUE(CheckFaxNumber("0312345678"));
    EXPECT_EQ(boxes.Count(), 0u);
    for (const char* refused : {"03-1234-5678", "03-1234-56", "０３１２３４５６７８", "０1234567", "03123456789",
                                 "031234567", ""}) {
        boxes.Clear();
        EXPECT_FALSE(CheckFaxNumber(refused)) << refused;
        ASSERT_EQ(boxes.Count(), 1u) << refused;
        EXPECT_EQ(boxes.Last().Text, "FAX番号が変");
        EXPECT_EQ(boxes.Last().Caption, "NG");
        EXPECT_EQ(boxes.Last().Buttons, mbOK);
    }
}
