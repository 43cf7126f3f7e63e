#include <gtest/gtest.h>

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

TEST(DisplayValues, UtcFromDateAndSecondsOfDay)
{
    EXPECT_EQ(utcText(140626, 37800.4), "2026-06-14 10:30:00 UTC");
    EXPECT_EQ(utcText(311299, 86399.9), "2099-12-31 23:59:59 UTC");
    EXPECT_EQ(utcText(10100, 90000.0), "2000-01-01 01:00:00 UTC");
    EXPECT_EQ(utcText(0, 37800.0), "");
    EXPECT_EQ(utcText(321326, 0.0), "");  // day 32
    EXPECT_EQ(utcText(141326, 0.0), "");  // month 13
    EXPECT_EQ(dateText(210421), "2021-04-21");
    EXPECT_EQ(dateText(0), "");
    EXPECT_EQ(clockText(0.0), "0:00.0");
    EXPECT_EQ(clockText(65.26), "1:05.3");
    EXPECT_EQ(clockText(3725.0), "1:02:05.0");
}
