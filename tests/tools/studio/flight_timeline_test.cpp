#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "frame/map_frame.h"
#include "log/flight_log.h"
#include "path/animation_path.h"
#include "tools/studio/flight_timeline.h"

using namespace flightreplay::studio;

namespace {

constexpr double PI = MAP_PI;

LogColumns withGpsTime()
{
    LogColumns columns;
    columns.gpsTime = true;
    return columns;
}

std::vector<LogRow> rowsAtTimes(const std::vector<double>& times)
{
    std::vector<LogRow> rows(times.size(), LogRow{});
    for (size_t i = 0; i < times.size(); ++i) {
        rows[i].gps_time = times[i];
        rows[i].gps_curlat = 2880.0 + 0.001 * static_cast<double>(i);
        rows[i].gps_curlon = 690.0;
        rows[i].gps_curalt = 100.0 + 10.0 * static_cast<double>(i);
    }
    return rows;
}

class TimelineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = mapFrame;
        mapFrame.CI = 91000;
        mapFrame.CJ = 139000;
        // The frame's own scale at 48 degrees north, where the rows lie.
        mapFrame.k = 1.0 / (std::cos(48.0 * PI / 180.0) * MAP_FRAME_EARTH_RADIUS * 2.0 * PI / FRAME_SIZE);
    }
    void TearDown() override { mapFrame = saved; }
    MapFrame saved{};
};

} // namespace

TEST(TimeSource, RisingGpsTimeElseFiveRowsPerSecond)
{
    struct Case {
        std::vector<double> times;
        bool column;
        TimeSource expected;
    };
    const Case cases[] = {
        {{0, 0.2, 0.4, 1.0}, true, TimeSource::gpsTime},
        {{37800, 37800.2, 37800.4}, true, TimeSource::gpsTime},
        {{0, 0.2, 0.2, 0.4}, true, TimeSource::fixedRate},  // a repeated time
        {{0, 1, 0.5, 2}, true, TimeSource::fixedRate},      // a step back
        {{0, 1, 2}, false, TimeSource::fixedRate},          // no column: zeros
        {{5}, true, TimeSource::fixedRate},                 // one row
    };
    for (const Case& c : cases) {
        const std::vector<LogRow> rows = rowsAtTimes(c.times);
        EXPECT_EQ(chooseTimeSource(rows.data(), static_cast<int>(rows.size()), c.column), c.expected)
            << c.times.size() << " rows from " << c.times.front();
    }
}

TEST_F(TimelineTest, RowTimesFollowTheSource)
{
    std::vector<LogRow> rows = rowsAtTimes({100.0, 100.5, 102.0});
    FlightTimeline gps = buildTimeline(rows.data(), 3, withGpsTime());
    EXPECT_EQ(gps.times, (std::vector<double>{0.0, 0.5, 2.0}));
    EXPECT_DOUBLE_EQ(gps.duration(), 2.0);

    rows[2].gps_time = 100.5;
    FlightTimeline fixed = buildTimeline(rows.data(), 3, withGpsTime());
    EXPECT_EQ(fixed.source, TimeSource::fixedRate);
    EXPECT_EQ(fixed.times, (std::vector<double>{0.0, 0.2, 0.4}));
}

TEST(InterpolateAngle, TakesTheShorterWayRound)
{
    struct Case {
        double a, b, f, expected;
    };
    const Case cases[] = {
        {0.0, 1.0, 0.5, 0.5},
        {3.0, -3.0, 0.5, PI},                      // across +pi, not through 0
        {-3.0, 3.0, 0.25, -3.0 - 0.25 * (2 * PI - 6.0)},
        {PI - 0.1, -PI + 0.1, 0.75, -PI + 0.05},
        {0.2, -0.2, 0.5, 0.0},
        {1.0, 1.0 + 2 * PI, 0.5, 1.0},             // a whole turn is no turn
    };
    for (const Case& c : cases) {
        const double got = interpolateAngle(c.a, c.b, c.f);
        EXPECT_NEAR(std::remainder(got - c.expected, 2 * PI), 0.0, 1e-12) << c.a << " -> " << c.b << " at " << c.f;
        EXPECT_GT(got, -PI);
        EXPECT_LE(got, PI);
    }
}

TEST_F(TimelineTest, SampleInterpolatesBetweenRows)
{
    std::vector<LogRow> rows = rowsAtTimes({0.0, 1.0, 3.0});
    rows[1].gps_curheading = 3.0;
    rows[2].gps_curheading = -3.0;
    rows[1].pyro_curroll = 0.2;
    rows[2].pyro_curroll = 0.4;
    rows[1].voltage1 = 12.0;
    rows[2].voltage1 = 11.0;
    const FlightTimeline timeline = buildTimeline(rows.data(), 3, withGpsTime());

    const FlightSample mid = sampleFlight(timeline, 2.0);
    EXPECT_EQ(mid.row, 1);
    EXPECT_DOUBLE_EQ(mid.fraction, 0.5);
    EXPECT_DOUBLE_EQ(mid.altitude, 115.0);
    EXPECT_NEAR(std::fabs(mid.heading), PI, 1e-12);
    EXPECT_DOUBLE_EQ(mid.roll, 0.3);
    EXPECT_DOUBLE_EQ(mid.voltage, 11.5);
    const osg::Vec3d halfway = (timeline.positions[1] + timeline.positions[2]) * 0.5;
    EXPECT_NEAR((mid.position - halfway).length(), 0.0, 1e-9);
    const osg::Quat expected = attitudeOf(PI, 0.0, 0.3);
    EXPECT_NEAR(std::fabs(mid.attitude.asVec4() * expected.asVec4()), 1.0, 1e-9);

    // On a row the sample is that row exactly, at the track's own vertex;
    // before the start and after the end it stays at the ends.
    const FlightSample onRow = sampleFlight(timeline, 1.0);
    EXPECT_EQ(onRow.row, 1);
    EXPECT_EQ(osg::Vec3f(onRow.position), geoToScene(rows[1].gps_curlat / 60.0, rows[1].gps_curlon / 60.0, 110.0));
    EXPECT_EQ(sampleFlight(timeline, -5.0).row, 0);
    const FlightSample after = sampleFlight(timeline, 99.0);
    EXPECT_EQ(after.row, 2);
    EXPECT_DOUBLE_EQ(after.time, 3.0);
    EXPECT_DOUBLE_EQ(after.altitude, 120.0);
}

TEST_F(TimelineTest, SpeedsFromTheColumnOrFromPositions)
{
    std::vector<LogRow> rows = rowsAtTimes({0.0, 1.0, 2.0});
    for (LogRow& row : rows)
        row.gps_curspeed = 17.0;
    LogColumns columns = withGpsTime();
    FlightTimeline derived = buildTimeline(rows.data(), 3, columns);
    // 0.001 minutes of latitude a second on a sphere of 6374 km: 1.854 m/s;
    // 10 m of climb a second.
    EXPECT_NEAR(derived.groundSpeeds[1], 6374000.0 * 0.001 / 60.0 * PI / 180.0, 0.002);
    EXPECT_NEAR(derived.verticalSpeeds[1], 10.0, 1e-9);

    columns.groundSpeed = true;
    FlightTimeline logged = buildTimeline(rows.data(), 3, columns);
    EXPECT_DOUBLE_EQ(logged.groundSpeeds[1], 17.0);
    EXPECT_DOUBLE_EQ(sampleFlight(logged, 0.5).groundSpeed, 17.0);
}
