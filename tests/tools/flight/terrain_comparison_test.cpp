#include <gtest/gtest.h>

#include <cmath>

#include "tools/flight/terrain_comparison.h"

using namespace flightreplay::flight;

namespace {

// Ground at 200 m, but none east of 9.5°.
std::optional<double> ground(double, double lon)
{
    if (lon > 9.5)
        return std::nullopt;
    return 200.0;
}

TerrainReport report(double t, int status, double terrain, double lon = 9.0)
{
    return {t, status, 47.0, lon, terrain, 50.0};
}

} // namespace

TEST(TerrainComparison, MedianAndLargestDifferenceOverTheReportsWithData)
{
    Flight flight;
    flight.position = {{100, 47.0, 9.0, 250.0}, {200, 47.0, 9.0, 350.0}};
    flight.terrain = {report(100, 1, 0), report(110, 0, 0),    report(120, 2, 203), report(130, 2, 205),
                      report(140, 2, 192), report(150, 2, 204), report(160, 2, 207, 9.6)};
    const TerrainComparison c = compareTerrain(flight, ground);
    EXPECT_EQ(c.reports, 7u);
    EXPECT_EQ(c.withoutData, 2u);
    EXPECT_EQ(c.compared, 4u);
    // Differences 3, 5, -8, 4: the median of an even count is the mean of the middle two.
    EXPECT_DOUBLE_EQ(c.medianM, 3.5);
    EXPECT_DOUBLE_EQ(c.largestM, -8.0);
    EXPECT_DOUBLE_EQ(c.largestAtT, 140.0);
    ASSERT_EQ(c.points.size(), 5u);
    EXPECT_DOUBLE_EQ(c.points[0].autopilotM, 203.0);
    EXPECT_DOUBLE_EQ(c.points[0].elevationM, 200.0);
    EXPECT_DOUBLE_EQ(c.points[0].autopilotAboveM, 50.0);
    // The fixes' altitude at 120 s, 270 m, over the 200 m ground.
    EXPECT_DOUBLE_EQ(c.points[0].elevationAboveM, 70.0);
    EXPECT_TRUE(std::isnan(c.points[4].elevationM));

    flight.terrain.pop_back();
    flight.terrain.push_back(report(170, 2, 201));
    EXPECT_DOUBLE_EQ(compareTerrain(flight, ground).medianM, 3.0); // -8, 1, 3, 4, 5
}

TEST(TerrainComparison, TheLineForEachCase)
{
    const auto lineOf = [](std::vector<TerrainReport> reports, const ElevationLookup& lookup) {
        Flight flight;
        flight.terrain = std::move(reports);
        return terrainLine(compareTerrain(flight, lookup), 90.0);
    };
    const struct {
        const char* name;
        std::vector<TerrainReport> reports;
        ElevationLookup lookup;
        const char* line;
    } cases[] = {
        {"no reports", {}, ground, ""},
        {"none with data", {report(100, 1, 0), report(110, 0, 0)}, ground,
         "terrain: no report with data (2 waiting for data or disabled)"},
        {"no elevation files", {report(100, 2, 210), report(110, 1, 0)}, {},
         "terrain: 1 reports with data; no elevation files here to compare them with"},
        {"compared", {report(100, 2, 210), report(112.3, 2, 187.5), report(120, 2, 205)}, ground,
         "terrain: 3 reports with data; autopilot minus elevation files: median 5.0 m, largest -12.5 m at 22.3 s"},
        {"some outside", {report(100, 2, 210), report(110, 2, 203, 9.7)}, ground,
         "terrain: 2 reports with data; autopilot minus elevation files: median 10.0 m, largest 10.0 m at 10.0 s "
         "(1 outside the elevation files)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lineOf(c.reports, c.lookup), c.line) << c.name;
}
