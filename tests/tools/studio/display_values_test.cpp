#include <gtest/gtest.h>

#include <cmath>

#include "log/units.h"
#include "tools/studio/display_values.h"

using namespace flightreplay::studio;

namespace {
constexpr double PI = MAP_PI;
}

TEST(DisplayValues, CompassHeadingFromCounterClockwiseEast)
{
    struct Case {
        double radians;
        double degrees;
    };
    // The log counts counter-clockwise from east; the compass clockwise from north.
    const Case cases[] = {{0.0, 90.0},       {PI / 2, 0.0},       {PI, 270.0},    {-PI, 270.0},
                          {-PI / 2, 180.0},  {PI / 4, 45.0},      {3 * PI, 270.0}, {-1e-15, 90.0},
                          {PI / 2 + 1e-15, 0.0}};
    for (const Case& c : cases) {
        const double got = compassDegrees(c.radians);
        EXPECT_NEAR(got, c.degrees, 1e-9) << c.radians;
        EXPECT_GE(got, 0.0);
        EXPECT_LT(got, 360.0);
    }
}

TEST(DisplayValues, RollAndPitchKeepTheLogSigns)
{
    EXPECT_NEAR(signedDegrees(0.5), 28.6478897565, 1e-9);
    EXPECT_NEAR(signedDegrees(-0.5), -28.6478897565, 1e-9);
    EXPECT_NEAR(signedDegrees(2 * PI + 0.1), 5.7295779513, 1e-9);
    EXPECT_NEAR(signedDegrees(-PI), 180.0, 1e-9);
    // Positive roll is the left wing down.
    EXPECT_EQ(rollText(0.5), "28.6\xC2\xB0 L");
    EXPECT_EQ(rollText(-0.5), "28.6\xC2\xB0 R");
    EXPECT_EQ(rollText(0.0001), "0.0\xC2\xB0");
}

TEST(DisplayValues, UtcOfSecondsSince1970)
{
    struct Case {
        double seconds;
        const char* text;
    };
    // Days counted by hand: 1970 to 2000 is 30 * 365 + 7 leap days = 10957;
    // to 2026-01-01 56 * 365 + 14 = 20454, then 164 days to 14 June; to
    // 2100-01-01 130 * 365 + 32 = 47482, and 2100 has no 29 February.
    const Case cases[] = {
        {0.0, "1970-01-01 00:00:00 UTC"},
        {86399.9, "1970-01-01 23:59:59 UTC"},
        {90000.0, "1970-01-02 01:00:00 UTC"},
        {10957 * 86400.0 + 90000.0, "2000-01-02 01:00:00 UTC"},
        {(10957 + 59) * 86400.0 + 43200.0, "2000-02-29 12:00:00 UTC"},
        {(20454 + 164) * 86400.0 + 37807.4, "2026-06-14 10:30:07 UTC"},
        {(47482 + 59) * 86400.0 - 1.0, "2100-02-28 23:59:59 UTC"},
        {(47482 + 59) * 86400.0, "2100-03-01 00:00:00 UTC"},
        // 10000-01-01 is 2932897 days on, where the text stops.
        {253402300799.0, "9999-12-31 23:59:59 UTC"},
        {253402300800.0, ""},
        {-1.0, ""},
        {std::nan(""), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(utcTextOfEpoch(c.seconds), c.text) << std::fixed << c.seconds;
}

TEST(DisplayValues, ClockFromTheStart)
{
    EXPECT_EQ(clockText(0.0), "0:00.0");
    EXPECT_EQ(clockText(65.26), "1:05.3");
    EXPECT_EQ(clockText(3725.0), "1:02:05.0");
}
