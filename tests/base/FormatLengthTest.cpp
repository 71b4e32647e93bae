#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "base/FormatLength.h"

namespace {

TEST(FormatLengthTest, IntegralValuesHaveNoDecimalPoint)
{
    EXPECT_EQ(FormatLength(6000.0), "6000");
    EXPECT_EQ(FormatLength(0.0), "0");
    EXPECT_EQ(FormatLength(-6000.0), "-6000");
    EXPECT_EQ(FormatLength(2147483647.0), "2147483647");
}

TEST(FormatLengthTest, ShortDecimalsKeepExactlyTheirDecimals)
{
    EXPECT_EQ(FormatLength(1500.5), "1500.5");
    EXPECT_EQ(FormatLength(12.125), "12.125");
    // 0.1 + 0.2 is 0.30000000000000004 and 0.3 is stored as 0.29999999999999999;
    // both show as the user's 0.3.
    EXPECT_EQ(FormatLength(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatLength(0.3), "0.3");
    // 1000.05 is stored just below; its f x 100 ends in ...0.99999, g x 100 in ...0.00001.
    EXPECT_EQ(FormatLength(1000.05), "1000.05");
    EXPECT_EQ(FormatLength(0.0001), "0.0001");
    EXPECT_EQ(FormatLength(2.00001), "2.00001");  // five decimals, the last k tried
}

TEST(FormatLengthTest, ValuesWithinAMillionthOfAnIntegerShowTheInteger)
{
    EXPECT_EQ(FormatLength(1234.0000004), "1234");  // f = 0.0000004 <= 0.000001
    EXPECT_EQ(FormatLength(2.9999999), "3");        // g = 1 - f = 0.0000001 <= 0.000001
    EXPECT_EQ(FormatLength(7.0000009), "7");        // f = 0.0000009
}

TEST(FormatLengthTest, LongFractionsAreRoundedToSixDecimals)
{
    EXPECT_EQ(FormatLength(1.0 / 3.0), "0.333333");
    EXPECT_EQ(FormatLength(5.1234567), "5.123457");
    // f = 0.0000011 is above the margin and matches no k up to 5: six decimals.
    EXPECT_EQ(FormatLength(0.0000011), "0.000001");
}

TEST(FormatLengthTest, NegativeValuesWithAFractionShowNoDecimals)
{
    // f = value - truncation is negative, hence below the margin: "%.0f".
    EXPECT_EQ(FormatLength(-1.25), "-1");
    EXPECT_EQ(FormatLength(-1.75), "-2");
    EXPECT_EQ(FormatLength(-0.3), "-0");  // printf keeps the sign of a value rounded to zero
}

TEST(FormatLengthTest, ValuesBeyondTheInt32RangeShowAsWholeNumbers)
{
    // 2147483647.5 still truncates to int32: f = 0.5, one decimal.
    EXPECT_EQ(FormatLength(2147483647.5), "2147483647.5");
    // From 2^31 on there is no int32 truncation: no decimals, rounded by printf
    // (2147483648.5 is a tie, rounded to the even 2147483648).
    EXPECT_EQ(FormatLength(2147483648.5), "2147483648");
    EXPECT_EQ(FormatLength(3.0e9 + 0.25), "3000000000");
    EXPECT_EQ(FormatLength(-2147483649.75), "-2147483650");
    EXPECT_EQ(FormatLength(1e20), "100000000000000000000");
}

TEST(FormatLengthTest, InfinityAndNanPrintAsPrintfDoes)
{
    EXPECT_EQ(FormatLength(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(FormatLength(-std::numeric_limits<double>::infinity()), "-inf");
    EXPECT_EQ(FormatLength(std::numeric_limits<double>::quiet_NaN()), "nan");
}

TEST(FormatLengthTest, NumberTextsMatchPrintf)
{
    // Spot checks against the C library on values whose rounding is delicate.
    const double values[] = {0.5, 1.5, 2.5, 0.125, 1e-7, 123456.789, 1e300, -0.0, 9.9999995};
    for (double value : values) {
        for (int digits = 0; digits <= 17; ++digits) {
            char expected[512];
            std::snprintf(expected, sizeof(expected), "%.*f", digits, value);
            EXPECT_EQ(FormatFixed(value, digits), expected) << value << " with " << digits;
            if (digits >= 1) {
                std::snprintf(expected, sizeof(expected), "%.*g", digits, value);
                EXPECT_EQ(FormatGeneral(value, digits), expected) << value << " with " << digits;
            }
        }
    }
}

TEST(FormatLengthTest, ParseRealReadsLikeStrtod)
{
    char* end = nullptr;
    const char text[] = "2995.5mm";
    EXPECT_EQ(ParseRealC(text, &end), 2995.5);
    EXPECT_STREQ(end, "mm");
    EXPECT_EQ(ParseRealC("abc", nullptr), 0.0);
    EXPECT_EQ(ParseRealC("-12e2x", nullptr), -1200.0);
    EXPECT_TRUE(std::isinf(ParseRealC("1e999", nullptr)));
    EXPECT_TRUE(std::isnan(ParseRealC("nan", nullptr)));
}

// Under a locale with a decimal comma the texts still use a point. The test
// needs such a locale installed; without one it is skipped.
TEST(FormatLengthTest, NumberTextsIgnoreTheProcessLocale)
{
    const char* const candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"};
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    const char* chosen = nullptr;
    for (const char* name : candidates) {
        if (std::setlocale(LC_NUMERIC, name)) {
            chosen = name;
            break;
        }
    }
    if (!chosen)
        GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(FormatLength(1500.5), "1500.5");
    EXPECT_EQ(FormatGeneral(1234.5, 6), "1234.5");
    EXPECT_EQ(ParseRealC("2995.5", nullptr), 2995.5);
    std::setlocale(LC_NUMERIC, previous.c_str());
}

}  // namespace
