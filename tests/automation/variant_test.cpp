#include "automation/automation_error.h"
#include "automation/variant.h"

#include <gtest/gtest.h>

#include <limits>

TEST(VariantConversion, NumbersConvertAcrossWidthsAndOverflowIsAnError) {
    EXPECT_EQ(TVariant(int64_t{2147483647}).AsInt32(), 2147483647);
    EXPECT_THROW(TVariant(int64_t{2147483648}).AsInt32(), TAutomationError);
    EXPECT_THROW(TVariant(int64_t{-2147483649LL}).AsInt32(), TAutomationError);
    EXPECT_EQ(TVariant(int64_t{3000000000LL}).AsInt64(), 3000000000LL);
    EXPECT_EQ(TVariant(2.5).AsInt32(), 2);  // banker's rounding, as automation does
    EXPECT_EQ(TVariant(3.5).AsInt32(), 4);
    EXPECT_THROW(TVariant(1e300).AsInt64(), TAutomationError);
}

TEST(VariantConversion, StringsAndBooleans) {
    EXPECT_EQ(TVariant("42").AsInt32(), 42);
    EXPECT_THROW(TVariant("4x2").AsInt32(), TAutomationError);
    EXPECT_THROW(TVariant("").AsDouble(), TAutomationError);
    EXPECT_TRUE(TVariant("True").AsBool());
    EXPECT_FALSE(TVariant("0").AsBool());
    EXPECT_EQ(TVariant(true).AsInt32(), -1);
    EXPECT_EQ(TVariant(true).AsString(), "True");
    EXPECT_EQ(TVariant(int32_t{-7}).AsString(), "-7");
    EXPECT_EQ(TVariant("日本語").AsString(), "日本語");
}

TEST(VariantConversion, EmptyIsZeroAndBlankButNotAnObject) {
    TVariant empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.AsInt32(), 0);
    EXPECT_EQ(empty.AsString(), "");
    EXPECT_FALSE(empty.AsBool());
    EXPECT_THROW(empty.AsObject(), TAutomationError);
    EXPECT_THROW(empty.Call("Anything"), TAutomationError);
    EXPECT_THROW(TVariant(5).Get("Size"), TAutomationError);
}

TEST(VariantConversion, ANullObjectReferenceIsEmpty) {
    TVariant v{TObjectRef()};
    EXPECT_TRUE(v.IsEmpty());
}
