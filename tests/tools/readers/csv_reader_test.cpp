#include <algorithm>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "log/units.h"
#include "tools/common/tool_error.h"
#include "tools/readers/csv_reader.h"
#include "tools/readers/track_attitude.h"

namespace fc = flightreplay::readers;
namespace ff = flightreplay::flight;
using flightreplay::tools::ToolError;

namespace {
}

TEST(CsvReader, SeparatorsQuotesAndHeaderNames)
{
    const char* tables[] = {
        "time,lat,lon,alt\n0,48.5,11.25,-20.5\n1,48.5001,11.2502,-19\n",
        "Time;Latitude;Longitude;Altitude (m)\r\n0;48,5;11,25;-20,5\r\n1;48,5001;11,2502;-19\r\n",
        "timestamp\tLAT\tlng\tele\n\n0\t48.5\t11.25\t-20.5\n1\t48.5001\t11.2502\t-19\n",
        "\xEF\xBB\xBF\"note, free\",\"time\",lat,long,alt[m]\n\"a \"\"quoted\"\", text\",0,48.5,11.25,-20.5\n"
        "\"two\nlines\",\"1\",\"48.5001\",11.2502,-19",
        "time,lat,lon,alt\n1,48.5001,11.2502,-19\n0,48.5,11.25,-20.5\n1,0,0,0\n",
    };
    for (const char* table : tables) {
        const ff::Flight data = fc::readCsv(table, {});
        ASSERT_EQ(data.position.size(), 2u) << table;
        EXPECT_DOUBLE_EQ(data.position[0].t, 0.0) << table;
        EXPECT_DOUBLE_EQ(data.position[0].latDeg, 48.5) << table;
        EXPECT_DOUBLE_EQ(data.position[0].lonDeg, 11.25) << table;
        EXPECT_DOUBLE_EQ(data.position[0].altM, -20.5) << table;
        EXPECT_DOUBLE_EQ(data.position[1].t, 1.0) << table;
        EXPECT_DOUBLE_EQ(data.position[1].lonDeg, 11.2502) << table;
        EXPECT_TRUE(data.attitude.empty());
        EXPECT_TRUE(std::isnan(data.utcAtClockZero));
    }
}

TEST(CsvReader, TimeUnits)
{
    const struct {
        fc::TimeUnit unit;
        const char* cell;
        double seconds;
    } cases[] = {
        {fc::TimeUnit::Seconds, "1.5", 1.5},
        {fc::TimeUnit::Milliseconds, "1500", 1.5},
        {fc::TimeUnit::Microseconds, "1500000", 1.5},
        {fc::TimeUnit::Iso, "2024-03-10T14:00:00.5+02:00", 1710072000.5},
        {fc::TimeUnit::Seconds, "1710072000.5", 1710072000.5},
        {fc::TimeUnit::Seconds, "2024-03-10T12:00:00Z", 1710072000.0},
    };
    for (const auto& c : cases) {
        fc::CsvOptions options;
        options.time = c.unit;
        const ff::Flight data = fc::readCsv(std::string("time,lat,lon\n") + c.cell + ",1,2\n", options);
        ASSERT_EQ(data.position.size(), 1u) << c.cell;
        EXPECT_DOUBLE_EQ(data.position[0].t, c.seconds) << c.cell;
        EXPECT_EQ(std::isnan(data.utcAtClockZero), c.seconds < 1e9) << c.cell;
    }
    EXPECT_EQ(fc::parseTimeUnit("ms"), fc::TimeUnit::Milliseconds);
    EXPECT_EQ(fc::parseTimeUnit("iso"), fc::TimeUnit::Iso);
    EXPECT_THROW(fc::parseTimeUnit("min"), ToolError);
}

TEST(CsvReader, AnglesInTheStatedUnit)
{
    const struct {
        fc::AngleUnit unit;
        const char* row;
    } cases[] = {
        {fc::AngleUnit::Degrees, "0,1,2,90,10,-5\n"},
        {fc::AngleUnit::Radians, "0,1,2,1.5707963267948966,0.17453292519943295,-0.08726646259971647\n"},
    };
    for (const auto& c : cases) {
        fc::CsvOptions options;
        options.angles = c.unit;
        const ff::Flight data = fc::readCsv(std::string("time,lat,lon,yaw,roll,pitch\n") + c.row, options);
        ASSERT_EQ(data.attitude.size(), 1u);
        EXPECT_NEAR(data.attitude[0].yaw, MAP_PI / 2, 1e-12);
        EXPECT_NEAR(data.attitude[0].roll, 10 * MAP_PI / 180, 1e-12);
        EXPECT_NEAR(data.attitude[0].pitch, -5 * MAP_PI / 180, 1e-12);
    }
    EXPECT_EQ(fc::parseAngleUnit("rad"), fc::AngleUnit::Radians);
    EXPECT_THROW(fc::parseAngleUnit("grad"), ToolError);
}

TEST(CsvReader, ColumnOptions)
{
    const std::string table = "t_ms,Y,X,Z,hdg,Pressure Alt,alt,RC Throttle,Bat\n"
                              "1000,48.5,11.25,100,270,95,96,1500,12.6\n";
    fc::CsvOptions options;
    options.time = fc::TimeUnit::Milliseconds;
    for (const char* option :
         {"time=T_MS", "lat=Y", "lon=x", "alt=Z", "heading=hdg", "baro_alt=pressure alt", "rc3=RC Throttle", "voltage=Bat"})
        options.columns.push_back(fc::parseColumnOption(option));
    const ff::Flight data = fc::readCsv(table, options);
    ASSERT_EQ(data.position.size(), 1u);
    EXPECT_DOUBLE_EQ(data.position[0].t, 1.0);
    EXPECT_DOUBLE_EQ(data.position[0].latDeg, 48.5);
    EXPECT_DOUBLE_EQ(data.position[0].lonDeg, 11.25);
    EXPECT_DOUBLE_EQ(data.position[0].altM, 100.0); // the mapped field wins over the name "alt"
    ASSERT_EQ(data.baroAlt.size(), 1u);
    EXPECT_DOUBLE_EQ(data.baroAlt[0].value, 95.0);
    ASSERT_EQ(data.rcIn[2].size(), 1u);
    EXPECT_DOUBLE_EQ(data.rcIn[2][0].value, 1500.0);
    ASSERT_EQ(data.voltage.size(), 1u);
    ASSERT_EQ(data.attitude.size(), 1u);
    EXPECT_NEAR(data.attitude[0].yaw, 1.5 * MAP_PI, 1e-12);
    EXPECT_TRUE(std::isnan(data.attitude[0].roll));

    for (const char* bad : {"lat", "=Y", "lat=", "altitude=Z", "rc6=Y"})
        EXPECT_THROW(fc::parseColumnOption(bad), ToolError) << bad;
    fc::CsvOptions missing;
    missing.columns = {{"lat", "Latitude"}};
    EXPECT_THROW(fc::readCsv(table, missing), ToolError);
    for (const char* noHeader : {"", "\n\n", "0,48.5,11.25\n1,48.6,11.3\n"})
        EXPECT_THROW(fc::readCsv(noHeader, {}), ToolError) << noHeader;
    EXPECT_TRUE(fc::readCsv("speed,voltage\n1,2\n", {}).position.empty());
    const ff::Flight speeds = fc::readCsv("time,speed,airspeed,current\n0,-20,-1,-3\n1,20,21,3\n", {});
    ASSERT_EQ(speeds.groundSpeed.size(), 1u);
    EXPECT_EQ(speeds.groundSpeed[0].value, 20.0);
    ASSERT_EQ(speeds.airspeed.size(), 1u);
    EXPECT_EQ(speeds.current.size(), 2u);
}

TEST(CsvReader, HeadingOnlyGetsRollAndPitchDerived)
{
    // A right-hand circle of 100 m radius at 20 m/s, heading recorded.
    std::string table = "time,lat,lon,alt,heading\n";
    const double radius = 100.0, speed = 20.0, metresPerDegree = 6371008.8 * MAP_PI / 180;
    for (int i = 0; i <= 60; ++i) {
        const double angle = speed / radius * i; // clockwise from north, seen from the centre
        const double north = radius * std::cos(angle), east = radius * std::sin(angle);
        const double heading = std::fmod(angle * 180 / MAP_PI + 90.0, 360.0);
        table += std::to_string(i) + "," + std::to_string(48.0 + north / metresPerDegree) + ","
                 + std::to_string(11.0 + east / (metresPerDegree * std::cos(48.0 * MAP_PI / 180))) + ",500,"
                 + std::to_string(heading) + "\n";
    }
    ff::Flight data = fc::readCsv(table, {});
    ASSERT_EQ(data.attitude.size(), 61u);
    const double recordedYaw = data.attitude[30].yaw;
    fc::deriveAttitude(data);
    EXPECT_TRUE(data.attitudeDerived);
    EXPECT_DOUBLE_EQ(data.attitude[30].yaw, recordedYaw);
    EXPECT_NEAR(data.attitude[30].roll, std::atan(speed * speed / (radius * 9.80665)), 1.5 * MAP_PI / 180);
    EXPECT_NEAR(data.attitude[30].pitch, 0.0, 1e-6);
}

TEST(CsvReader, TimeUnitToldFromTheValuesUnlessGiven)
{
    const struct {
        const char* rows; // time cells of three rows
        double first, second; // seconds
        const char* said;     // the unit's words in the note; nullptr: no note
        bool utc;
    } cases[] = {
        {"5000000\n5100000\n5200000", 5.0, 5.1, "microseconds since the clock's start", false},
        // Half an hour after boot in microseconds, not a date in 2032.
        {"1960000000\n1960100000\n1960200000", 1960.0, 1960.1, "microseconds since the clock's start", false},
        {"120000\n120020\n120040", 120.0, 120.02, "milliseconds since the clock's start", false},
        {"12\n13\n14", 12.0, 13.0, "seconds since the clock's start", false},
        {"12.5\n12.7\n12.9", 12.5, 12.7, "seconds since the clock's start", false},
        {"1710072000.5\n1710072001.5\n1710072002.5", 1710072000.5, 1710072001.5, "seconds since 1970", true},
        {"1710072000500\n1710072000700\n1710072000900", 1710072000.5, 1710072000.7, "milliseconds since 1970", true},
        {"1710072000500000\n1710072000600000\n1710072000700000", 1710072000.5, 1710072000.6, "microseconds since 1970", true},
        {"2024-03-10T12:00:00Z\n2024-03-10T12:00:01Z\n2024-03-10T12:00:02Z", 1710072000.0, 1710072001.0, nullptr, true},
    };
    for (const auto& c : cases) {
        std::string table = "time,lat,lon,alt\n";
        std::string rows = c.rows;
        for (size_t start = 0; start < rows.size();) {
            const size_t end = std::min(rows.find('\n', start), rows.size());
            table += rows.substr(start, end - start) + ",48.1,11.5,100\n";
            start = end + 1;
        }
        const ff::Flight data = fc::readCsv(table, {});
        ASSERT_EQ(data.position.size(), 3u) << c.rows;
        EXPECT_NEAR(data.position[0].t, c.first, 1e-6) << c.rows;
        EXPECT_NEAR(data.position[1].t, c.second, 1e-6) << c.rows;
        EXPECT_EQ(data.utcAtClockZero == 0.0, c.utc) << c.rows;
        if (c.said) {
            ASSERT_EQ(data.notes.size(), 1u) << c.rows;
            EXPECT_EQ(data.notes[0], std::string("time column read as ") + c.said
                                         + " (told from its values; --time names the unit)");
        } else {
            EXPECT_TRUE(data.notes.empty()) << c.rows;
        }
    }
    // A unit given is taken as it is, without a word.
    fc::CsvOptions seconds;
    seconds.time = fc::TimeUnit::Seconds;
    const ff::Flight given = fc::readCsv("time,lat,lon,alt\n5000000,48.1,11.5,1\n5100000,48.1,11.5,1\n", seconds);
    ASSERT_EQ(given.position.size(), 2u);
    EXPECT_DOUBLE_EQ(given.position[1].t, 5100000.0);
    EXPECT_TRUE(given.notes.empty());
}
