#include <gtest/gtest.h>

#include <cmath>

#include "log/log_writer.h"
#include "log/units.h"
#include "support/test_support.h"
#include "tools/common/position_log.h"
#include "tools/common/tool_error.h"
#include "tools/convert/resample.h"
#include "tools/flight/flight_extent.h"

using namespace flightreplay::convert;
using namespace flightreplay::flight;

namespace {

constexpr double DEG = MAP_PI / 180.0;

Flight straightFlight(int fixes, double step)
{
    Flight data;
    for (int i = 0; i < fixes; ++i)
        data.position.push_back({100.0 + i * step, 48.0 + i * 1e-5, 11.0, 500.0 + i});
    return data;
}

std::string header(const LogRows& rows)
{
    std::string text;
    for (int code : rows.fieldCodes)
        text += std::string(text.empty() ? "" : ",") + logFields[code].keyword;
    return text;
}

} // namespace

TEST(Resample, RowTimesFromFixesRateRangeAndLimit)
{
    const struct {
        int fixes;
        ResampleOptions options;
        size_t rows;
        double lastTime;
        bool thinned;
    } cases[] = {
        {50, {}, 50, 49, false},
        {50, {2.0, NAN, NAN, 10000}, 99, 49, false},
        {50, {0.0, 2.0, 5.0, 10000}, 4, 3, false},
        {50, {4.0, 2.0, 5.0, 10000}, 13, 3, false},
        {20001, {}, 10000, 20000, true},
        {50, {0.0, NAN, NAN, 10}, 10, 49, true},
        {50, {1000.0, NAN, NAN, 10000}, 10000, 49, true},
    };
    for (const auto& c : cases) {
        const LogRows rows = rowsOfFlight(straightFlight(c.fixes, 1.0), c.options);
        ASSERT_EQ(rows.rows.size(), c.rows) << c.fixes << " " << c.options.rate;
        EXPECT_DOUBLE_EQ(rows.rows.front().gps_time, 0.0);
        EXPECT_NEAR(rows.rows.back().gps_time, c.lastTime, 1e-9);
        EXPECT_EQ(rows.notes.size(), c.thinned ? 1u : 0u);
        if (c.thinned) {
            const double step = rows.rows[1].gps_time - rows.rows[0].gps_time;
            EXPECT_NEAR(rows.rows[rows.rows.size() / 2].gps_time, step * static_cast<double>(rows.rows.size() / 2), 1e-6);
        }
    }
    const LogRows ranged = rowsOfFlight(straightFlight(50, 1.0), {0.0, 2.0, 5.0, 10000});
    EXPECT_NEAR(ranged.rows[0].gps_curlat, (48.0 + 2e-5) * 60, 1e-9);
    EXPECT_NEAR(ranged.rows[0].gps_startlat, 48.0 * 60, 1e-9);
    EXPECT_THROW(rowsOfFlight(straightFlight(50, 1.0), {0.0, 60.0, 70.0, 10000}), flightreplay::tools::ToolError);
}

TEST(Resample, AnglesTakeTheShortWayAndCountsAreHeld)
{
    const struct {
        double a, b, f, expected; // degrees
    } angles[] = {
        {170, -170, 0.5, 180}, {170, -170, 0.25, 175}, {-170, 170, 0.75, 175}, {10, 30, 0.5, 20}, {-90, 100, 0.5, -175},
    };
    for (const auto& c : angles) {
        const double got = interpolateAngle(c.a * DEG, c.b * DEG, c.f) / DEG;
        EXPECT_NEAR(std::remainder(got - c.expected, 360.0), 0.0, 1e-9) << c.a << " " << c.b << " " << c.f;
    }

    Flight data = straightFlight(2, 1.0);
    data.attitude = {{100.0, 179 * DEG, 0, 179 * DEG}, {101.0, -179 * DEG, 0, -179 * DEG}};
    data.satellites = {{100.0, 5}, {101.0, 9}};
    data.voltage = {{100.0, 12}, {101.0, 11}};
    const LogRows rows = rowsOfFlight(data, {10.0, NAN, NAN, 10000});
    ASSERT_EQ(rows.rows.size(), 11u);
    const LogRow& half = rows.rows[5];
    EXPECT_NEAR(std::fabs(half.pyro_curroll), MAP_PI, 1e-9);
    EXPECT_NEAR(half.gps_curheading, -MAP_PI / 2, 1e-9); // pi/2 - 180 degrees
    EXPECT_NEAR(rows.rows[1].pyro_curroll, -179.2 * DEG, 1e-9);
    EXPECT_EQ(rows.rows[9].gps_numsatellites, 5);
    EXPECT_EQ(rows.rows[10].gps_numsatellites, 9);
    EXPECT_NEAR(half.voltage1, 11.5, 1e-9);
}

TEST(Resample, HeaderNamesOnlyTheFilledColumns)
{
    Flight data = straightFlight(3, 1.0);
    EXPECT_EQ(header(rowsOfFlight(data, {})),
              "samplenumber,gps_time,gps_startlat,gps_startlon,gps_startalt,gps_curlat,gps_curlon,gps_curalt");
    data.attitude = {{100.0, 0, 0, 0}};
    data.rcIn[2] = {{100.0, 1500}};
    data.utcAtClockZero = 1.6e9;
    EXPECT_EQ(header(rowsOfFlight(data, {})),
              "samplenumber,gps_date,gps_time,gps_startlat,gps_startlon,gps_startalt,gps_curlat,gps_curlon,gps_curalt,"
              "gps_curheading,pyro_curroll,pyro_curpitch,in_ppm_curwidth[2]");
    // 1.6e9 + 100 s is 2020-09-13 12:28 UTC.
    EXPECT_EQ(rowsOfFlight(data, {}).rows[0].gps_date, 130920);
}

TEST(Resample, DamagedValuesStayInTheirColumns)
{
    // Found by fuzzing: a clock far outside any date, counts far outside int.
    Flight data = straightFlight(3, 1.0);
    data.satellites = {{100.0, 1e30}};
    data.fixMode = {{100.0, -1e30}};
    for (double utc : {-5.70415e+23, 1e300, -1e6}) {
        data.utcAtClockZero = utc;
        const LogRow row = rowsOfFlight(data, {}).rows[0];
        EXPECT_EQ(row.gps_date, 0) << utc;
        EXPECT_EQ(row.gps_numsatellites, 1000000000);
        EXPECT_EQ(row.gps_fixmode, -1000000000);
    }
}

// prep and the studio place the ground for a raw flight where the replay of
// its converted log will look: the same extents, rounding included, for a
// short flight and for one the converter thins.
TEST(Resample, FlightExtentIsThatOfTheConvertedLog)
{
    TempWorkingDir dir;
    for (const int fixes : {57, 23456}) {
        Flight data;
        for (int i = 0; i < fixes; ++i) {
            const double a = i * 0.0173;
            data.position.push_back({i * 0.2, 47.123456789 + 0.01 * std::sin(a), 8.987654321 + 0.013 * std::cos(1.7 * a), 400.0});
        }
        const LogRows rows = rowsOfFlight(data, {});
        ASSERT_TRUE(writeLogFile("flight.log", rows.rows, rows.fieldCodes));
        const LogExtents logged = flightreplay::tools::readPositionLog("flight.log");
        const LogExtents e = flightExtent(data);
        EXPECT_EQ(e.latMin, logged.latMin) << fixes;
        EXPECT_EQ(e.latMax, logged.latMax) << fixes;
        EXPECT_EQ(e.lonMin, logged.lonMin) << fixes;
        EXPECT_EQ(e.lonMax, logged.lonMax) << fixes;
    }
}
