#include <cmath>

#include <gtest/gtest.h>

#include "tools/kml/track_points.h"

namespace fk = flightreplay::kml;
namespace ff = flightreplay::flight;

TEST(TrackPoints, ThinnedEvenlyKeepingTheFirstAndLast)
{
    // Counts by hand: step ceil((n - 1) / (max - 1)), indices 0, step, ...,
    // and n - 1 when the steps miss it.
    const struct {
        size_t fixes, most, count, step;
    } cases[] = {
        {0, 10, 0, 1},         {1, 10, 1, 1},      {5, 10, 5, 1},  {10, 10, 10, 1},
        {11, 10, 6, 2},        {21, 5, 5, 5},      {23, 5, 5, 6},  {100000, 50000, 33334, 3},
        {50001, 50000, 25001, 2},
    };
    for (const auto& c : cases) {
        const std::vector<size_t> kept = fk::keptFixes(c.fixes, c.most);
        ASSERT_EQ(kept.size(), c.count) << c.fixes << " of at most " << c.most;
        if (kept.empty())
            continue;
        EXPECT_EQ(kept.front(), 0u);
        EXPECT_EQ(kept.back(), c.fixes - 1);
        for (size_t i = 1; i + 1 < kept.size(); ++i)
            EXPECT_EQ(kept[i] - kept[i - 1], c.step) << c.fixes;
        EXPECT_LE(kept.size(), c.most);
    }
}

TEST(TrackPoints, FlightBetweenSamples)
{
    const double deg = 3.141592653589793 / 180.0;
    ff::Flight flight;
    flight.position = {{10.0, 48.0, 11.0, 500.0}, {12.0, 48.002, 11.004, 520.0}};
    flight.attitude = {{10.0, -10 * deg, 0.0, 350 * deg}, {11.0, 30 * deg, 20 * deg, 10 * deg}};

    const ff::Fix quarter = fk::positionAt(flight, 10.5);
    EXPECT_NEAR(quarter.latDeg, 48.0005, 1e-12);
    EXPECT_NEAR(quarter.lonDeg, 11.001, 1e-12);
    EXPECT_NEAR(quarter.altM, 505.0, 1e-9);
    EXPECT_DOUBLE_EQ(fk::positionAt(flight, 5.0).altM, 500.0);
    EXPECT_DOUBLE_EQ(fk::positionAt(flight, 20.0).altM, 520.0);

    // Heading the short way through north, within [0, 360).
    const struct {
        double t, heading, tilt, roll;
    } cases[] = {
        {10.0, 350.0, 0.0, -10.0}, {10.5, 0.0, 10.0, 10.0}, {10.75, 5.0, 15.0, 20.0}, {11.5, 10.0, 20.0, 30.0},
    };
    for (const auto& c : cases) {
        const fk::KmlAngles angles = fk::anglesAt(flight, c.t);
        EXPECT_NEAR(std::remainder(angles.heading - c.heading, 360.0), 0.0, 1e-9) << c.t;
        EXPECT_GE(angles.heading, 0.0);
        EXPECT_LT(angles.heading, 360.0);
        EXPECT_NEAR(angles.tilt, c.tilt, 1e-9) << c.t;
        EXPECT_NEAR(angles.roll, c.roll, 1e-9) << c.t;
    }

    const std::vector<fk::TrackPoint> points = fk::trackPoints(flight);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_NEAR(points[1].angles.heading, 10.0, 1e-9);

    flight.attitude.clear();
    const fk::KmlAngles level = fk::anglesAt(flight, 11.0);
    EXPECT_EQ(level.heading + level.tilt + level.roll, 0.0);
}
