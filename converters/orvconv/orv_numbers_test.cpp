#include "converters/orvconv/orv_numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>

namespace {

using namespace lumora::orv;

TEST(OrvNumbers, DecimalTextsReadLikeStrtod) {
    EXPECT_DOUBLE_EQ(parse_decimal("35.704181000"), 35.704181);
    EXPECT_DOUBLE_EQ(parse_decimal("  -12.5e1xyz"), -125.0);
    EXPECT_DOUBLE_EQ(parse_decimal("+7"), 7.0);
    EXPECT_DOUBLE_EQ(parse_decimal("0x10"), 16.0);
    EXPECT_EQ(parse_decimal("abc"), 0.0);
    EXPECT_EQ(parse_decimal(""), 0.0);
    EXPECT_TRUE(std::isnan(parse_decimal("nan")));
    // A desktop locale with a decimal comma must not change the reading.
    if (std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        EXPECT_DOUBLE_EQ(parse_decimal("1.5"), 1.5);
        EXPECT_EQ(format_fixed(1.5, 2), "1.50");
        std::setlocale(LC_ALL, "C");
    }
}

TEST(OrvNumbers, LeadingIntegersSaturate) {
    EXPECT_EQ(parse_leading_int("640"), 640);
    EXPECT_EQ(parse_leading_int(" \t-12px"), -12);
    EXPECT_EQ(parse_leading_int("1024.9"), 1024);
    EXPECT_EQ(parse_leading_int("px"), 0);
    EXPECT_EQ(parse_leading_int("+"), 0);
    EXPECT_GT(parse_leading_int("99999999999999999999999"), 2147483647);
    EXPECT_LT(parse_leading_int("-99999999999999999999999"), -2147483647);
}

TEST(OrvNumbers, FixedFormatMatchesPrintf) {
    for (double v : {0.004181, 139.598386, -5.245819, 5000000.748386, 1e-12, -0.0, 123456789.123456789}) {
        for (int precision : {9, 10}) {
            char want[128];
            std::snprintf(want, sizeof want, "%-3.*f", precision, v);
            EXPECT_EQ(format_fixed(v, precision), want) << v;
        }
    }
    EXPECT_EQ(format_fixed(1.0, 0), "1  ");  // width 3, left-justified
}

TEST(OrvNumbers, MapUnitsTruncateTowardZeroAtBothSteps) {
    EXPECT_EQ(degrees_to_units(0.0), 0);
    // 190 degrees is entered as -170 after the date-line correction.
    EXPECT_EQ(degrees_to_units(-170.0), -7922574);
    EXPECT_EQ(degrees_to_units(170.0), 7922574);
    EXPECT_EQ(degrees_to_units(180.0), 8388607);
    EXPECT_EQ(degrees_to_units(-180.0), -8388607);
    // -0.00001 deg is -119 units before the division: -0 after, not -1.
    EXPECT_EQ(degrees_to_units(-0.00001), 0);
    EXPECT_EQ(degrees_to_units(-0.0001), -4);
    EXPECT_FALSE(degrees_to_units(std::nan("")));
    EXPECT_FALSE(degrees_to_units(INFINITY));
    EXPECT_FALSE(degrees_to_units(1e30));
    EXPECT_EQ(degrees_to_units(-200.0), -9320675);  // beyond -180 still fits

    EXPECT_EQ(truncate_units(-1.9), -1);
    EXPECT_EQ(truncate_units(2147483647.9), 2147483647);
    EXPECT_FALSE(truncate_units(2147483648.0));
    EXPECT_FALSE(truncate_units(-2147483649.0));
    EXPECT_FALSE(checked_trunc(9.3e18));
}

}  // namespace
