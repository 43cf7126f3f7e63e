#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "log/units.h"
#include "support/test_support.h"
#include "tools/flight/log_table_flight.h"

using namespace flightreplay::flight;

namespace {

Flight readText(const std::string& text)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::tmpfile(), &std::fclose);
    std::fwrite(text.data(), 1, text.size(), file.get());
    std::rewind(file.get());
    Flight flight;
    captureStdout([&] { flight = readReplayLog(file.get()); });
    return flight;
}

} // namespace

TEST(ReplayLogHeader, KnownKeywordsWithPositionOnly)
{
    struct Case {
        const char* head;
        bool expected;
    };
    const Case cases[] = {
        {"gps_time,gps_curlat,gps_curlon,gps_curalt\n1,2,3,4\n", true},
        {"\"gps_curlat\" \"gps_curlon\"\r\n", true},
        {"gps_curlat\tgps_curlon,  in_ppm_curwidth[0]\n", true},
        {"gps_time,gps_curalt\n", false},                 // no position
        {"gps_curlat,gps_curlon,heading\n", false},       // a word the replay does not know
        {"lat,lon,alt,time\n", false},                    // a CSV of another program
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(looksLikeReplayLog(c.head), c.expected) << c.head;
}

TEST(ReplayLogFlight, RowsBecomeStreamsInTheModelsConventions)
{
    const Flight f = readText("gps_date,gps_time,gps_curlat,gps_curlon,gps_curalt,gps_curheading,pyro_curroll,"
                              "pyro_curpitch,ap_status,voltage1\n"
                              "140626,37800.0,2880.6,690.3,412.5,1.5707963267948966,0.2,0.1,2,12.5\n"
                              "140626,37800.5,2880.7,690.4,420.0,0.0,-0.3,0.0,2,12.4\n"
                              "140626,37801.5,2880.8,690.5,430.0,3.0,0.0,0.0,5,12.3\n");
    EXPECT_EQ(f.format, FlightFormat::log);
    ASSERT_EQ(f.position.size(), 3u);
    // Degrees exactly as the replay divides minutes: the same scene positions.
    EXPECT_EQ(f.position[1].latDeg, 2880.7 / 60.0);
    EXPECT_EQ(f.position[1].lonDeg, 690.4 / 60.0);
    EXPECT_EQ(f.position[1].altM, 420.0);
    EXPECT_EQ(f.position[2].t, 37801.5);
    ASSERT_EQ(f.attitude.size(), 3u);
    EXPECT_NEAR(f.attitude[0].yaw, 0.0, 1e-12);              // east-counted pi/2 is north
    EXPECT_NEAR(f.attitude[1].yaw, MAP_PI / 2, 1e-12);       // east
    EXPECT_NEAR(f.attitude[0].roll, -0.2, 1e-12);            // left wing down
    EXPECT_NEAR(f.attitude[0].pitch, 0.1, 1e-12);
    ASSERT_EQ(f.modes.size(), 2u);
    EXPECT_EQ(f.modes[1].t, 37801.5);
    EXPECT_EQ(f.modes[1].code, 5);
    EXPECT_EQ(f.modes[1].name, "5");
    ASSERT_EQ(f.voltage.size(), 3u);
    EXPECT_EQ(f.voltage[2].value, 12.3);
    EXPECT_TRUE(f.groundSpeed.empty());
    // 2026-06-14 00:00:00 UTC.
    EXPECT_DOUBLE_EQ(f.utcAtClockZero, 1781395200.0);
}

TEST(ReplayLogFlight, FiveRowsASecondWithoutRisingTime)
{
    struct Case {
        const char* log;
        double secondFixTime;
        bool dated;
    };
    const Case cases[] = {
        {"gps_curlat,gps_curlon,gps_curalt\n1,2,3\n1,2,4\n", 0.2, false},
        {"gps_date,gps_time,gps_curlat,gps_curlon\n140626,5,1,2\n140626,5,1,2\n", 0.2, false}, // repeated time
        {"gps_date,gps_time,gps_curlat,gps_curlon\n140626,0,1,2\n140626,0.5,1,2\n", 0.5, false}, // from 0: no time of day
    };
    for (const Case& c : cases) {
        const Flight f = readText(c.log);
        ASSERT_EQ(f.position.size(), 2u) << c.log;
        EXPECT_DOUBLE_EQ(f.position[1].t - f.position[0].t, c.secondFixTime) << c.log;
        EXPECT_EQ(std::isfinite(f.utcAtClockZero), c.dated) << c.log;
        EXPECT_TRUE(f.attitude.empty()) << c.log;
    }
}
