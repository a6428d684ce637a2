#include "common/decimal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

using namespace quelmar::common;

namespace {

TEST(Decimal, EveryTwoDecimalValueUpTo100IsExact) {
    // "2.01" × 1000 in binary is 2009.999...; the decimal as written is 2010 thousandths.
    for (int hundredths = 0; hundredths <= 10000; ++hundredths) {
        char text[16];
        std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
        ASSERT_EQ(decimal_thousandths(text), hundredths * 10) << text;
    }
}

TEST(Decimal, TruncatesTowardZeroAsWritten) {
    EXPECT_EQ(decimal_thousandths("1.2345"), 1234);
    EXPECT_EQ(decimal_thousandths("-1.2345"), -1234);
    EXPECT_EQ(decimal_thousandths("0.0009"), 0);
    EXPECT_EQ(decimal_thousandths("-0.0009"), 0);
    EXPECT_EQ(decimal_thousandths("1.9999999999999999999999"), 1999);
    EXPECT_EQ(decimal_thousandths("4294967.295"), 4294967295);
    EXPECT_EQ(decimal_thousandths("000012.500"), 12500);
    EXPECT_EQ(decimal_thousandths(".5"), 500);
    EXPECT_EQ(decimal_thousandths("5."), 5000);
}

TEST(Decimal, ReadsWhatTheCLibraryTakesAsADecimal) {
    // Leading white space and a sign; the number ends where its form ends.
    EXPECT_EQ(decimal_thousandths("  +2.01xyz"), 2010);
    EXPECT_EQ(decimal_thousandths("\t7,8"), 7000);
    EXPECT_EQ(decimal_thousandths("2.01e1"), 20100);
    EXPECT_EQ(decimal_thousandths("201E-2"), 2010);
    EXPECT_EQ(decimal_thousandths("1e-3"), 1);
    EXPECT_EQ(decimal_thousandths("1e-4"), 0);
    // An exponent without digits is not part of the number.
    EXPECT_EQ(decimal_thousandths("3e"), 3000);
    EXPECT_EQ(decimal_thousandths("3e+x"), 3000);
    EXPECT_EQ(decimal_thousandths("0e999999999999"), 0);
    // No decimal number: left to the binary conversion.
    for (const char* none : {"", " ", ".", "-", "+.", "e5", "abc", "nan", "inf", "0x1p3", "-0X10"})
        EXPECT_FALSE(decimal_thousandths(none).has_value()) << none;
}

TEST(Decimal, HeldAtThe64BitLimits) {
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(decimal_thousandths("1e300"), max);
    EXPECT_EQ(decimal_thousandths("-1e300"), -max);
    EXPECT_EQ(decimal_thousandths("9223372036854775.807"), max);
    EXPECT_EQ(decimal_thousandths("9223372036854775.806"), max - 1);
    EXPECT_EQ(decimal_thousandths("99999999999999999.999"), max);
    EXPECT_EQ(decimal_thousandths(std::string(300, '9')), max);
    EXPECT_EQ(decimal_thousandths("1e-99999999999999999999"), 0);
}

}  // namespace
