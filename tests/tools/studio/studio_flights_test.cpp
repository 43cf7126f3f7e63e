#include <cmath>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "frame/map_frame.h"
#include "log/units.h"
#include "support/test_support.h"
#include "tools/common/tool_error.h"
#include "tools/studio/studio_flights.h"
#include "tools/studio/studio_keys.h"
#include "tlog_writer.h"

using namespace flightreplay::studio;

namespace {

constexpr double LATITUDE = 48.0;
constexpr double LONGITUDE = 11.5;
constexpr double SPEED = 10.0;        // m/s eastward
constexpr double NORTH_SHIFT = 0.001; // degrees of latitude between the two flights

double longitudeAfter(double seconds)
{
    return LONGITUDE + SPEED * seconds / (MEAN_EARTH_RADIUS * std::cos(LATITUDE * RADIANS_PER_DEGREE)) * DEGREES_PER_RADIAN;
}

// A GPX track, one fix a second from 10:00:00 UTC + startSecond: standing
// for `standing` seconds, then flying east at SPEED, 150 m up.
std::string gpxTrack(double latitude, int startSecond, int standing, int fixes)
{
    std::string text = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\"><trk><trkseg>\n";
    for (int i = 0; i < fixes; ++i) {
        const int moving = std::max(i - standing, 0);
        const int second = 36000 + startSecond + i;
        char point[256];
        std::snprintf(point, sizeof point,
                      "<trkpt lat=\"%.10f\" lon=\"%.10f\"><ele>150</ele><time>2026-06-14T%02d:%02d:%02dZ</time></trkpt>\n",
                      latitude, longitudeAfter(moving), second / 3600, second / 60 % 60, second % 60);
        text += point;
    }
    return text + "</trkseg></trk></gpx>\n";
}

class StudioFlightsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = makeTempDir();
        // A leaves at 10:00:00; B stood 20 s from 09:59:40, then flies 0.001
        // degrees north of A, abreast of it.
        writeFile(dir + "/a.gpx", gpxTrack(LATITUDE, 0, 0, 80));
        writeFile(dir + "/b.gpx", gpxTrack(LATITUDE + NORTH_SHIFT, -20, 20, 100));
        writeFile(dir + "/undated.log", "gps_curlat,gps_curlon,gps_curalt\n2880,690,100\n2880.1,690,100\n");
        saved = mapFrame;
    }
    void TearDown() override { mapFrame = saved; }

    StudioOptions optionsFor(std::vector<std::string> names)
    {
        StudioOptions options;
        for (const std::string& name : names)
            options.logPaths.push_back(dir + "/" + name);
        return options;
    }

    // The one-line reason loadStudioFlights gives, empty when it accepts.
    static std::string refusalOf(StudioState& state, const StudioOptions& options)
    {
        std::string message;
        captureStdout([&] {
            try {
                loadStudioFlights(state, options);
            } catch (const flightreplay::tools::ToolError& refusal) {
                message = refusal.what();
            }
        });
        return message;
    }

    std::string dir;
    MapFrame saved{};
};

} // namespace

TEST_F(StudioFlightsTest, DistanceAndPositionsUnderEachAlignment)
{
    const double north = NORTH_SHIFT * RADIANS_PER_DEGREE * MEAN_EARTH_RADIUS; // 111.19 m
    struct Case {
        Alignment align;
        double clock;     // seconds on the studio's clock
        double aSeconds;  // seconds A has flown east by then
        double distance;  // metres from A to B
        double slack;     // metres A may be off: take-off is found within a fix
    };
    // By UTC and by take-off, B flies abreast of A; from their first fixes B
    // lags 20 s, 200 m behind.
    const Case cases[] = {
        {Alignment::utc, 30.0, 10.0, north, 0.05},
        {Alignment::utc, 70.0, 50.0, north, 0.05},
        {Alignment::takeoff, 45.0, 25.0, north, 10.5},
        {Alignment::start, 30.0, 30.0, std::hypot(north, 200.0), 0.05},
        {Alignment::start, 60.0, 60.0, std::hypot(north, 200.0), 0.05},
    };
    for (const Case& c : cases) {
        StudioOptions options = optionsFor({"a.gpx", "b.gpx"});
        options.align = c.align;
        options.alignGiven = true;
        options.time = c.clock;
        StudioState state;
        captureStdout([&] { loadStudioFlights(state, options); });
        ASSERT_EQ(state.flights.size(), 2u);
        const FlightSample& a = state.flights[0].now;
        const FlightSample& b = state.flights[1].now;
        EXPECT_NEAR(distanceMetres(a, b), c.distance, 0.5) << static_cast<int>(c.align) << " at " << c.clock;
        const osg::Vec3d expected(geoToScene(LATITUDE, longitudeAfter(c.aSeconds), 150.0));
        EXPECT_NEAR((a.position - expected).length() / mapFrame.k, 0.0, c.slack) << static_cast<int>(c.align) << " at " << c.clock;
        EXPECT_NEAR((b.position - a.position).length() / mapFrame.k, c.distance, 1.0);
        EXPECT_NE(state.flights[0].colour, state.flights[1].colour);
    }
}

TEST_F(StudioFlightsTest, UndatedFlightRefusedUnderUtcWithItsName)
{
    StudioOptions options = optionsFor({"a.gpx", "undated.log"});
    StudioState state;
    // Without --align the flights start together.
    EXPECT_EQ(refusalOf(state, options), "");
    EXPECT_DOUBLE_EQ(state.flights[1].offset, 0.0);

    options.alignGiven = true;
    const std::string message = refusalOf(state, options);
    EXPECT_NE(message.find("undated.log"), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
}

TEST_F(StudioFlightsTest, OffsetsByName)
{
    StudioOptions options = optionsFor({"a.gpx", "b.gpx"});
    options.align = Alignment::start;
    options.alignGiven = true;
    options.offsets = {{"b", 12.5}};
    StudioState state;
    captureStdout([&] { loadStudioFlights(state, options); });
    EXPECT_DOUBLE_EQ(state.flights[1].offset - state.flights[0].offset, 12.5);
    EXPECT_DOUBLE_EQ(state.clock.duration(), std::max(79.0, 99.0 + 12.5));
    options.offsets = {{"c", 1.0}};
    EXPECT_EQ(refusalOf(state, options), "--offset c: no flight of that name");
}

TEST_F(StudioFlightsTest, EachVehicleOfATelemetryLogIsAFlight)
{
    reader_test::TlogWriter w;
    reader_test::TelemetryFlight quad;
    reader_test::writeTelemetryFlight(w, quad);
    reader_test::TelemetryFlight rover = quad;
    rover.system = 2;
    rover.mavType = 10;
    rover.station = false;
    reader_test::writeTelemetryFlight(w, rover);
    writeFile(dir + "/two.tlog", w.bytes());

    StudioOptions options = optionsFor({"two.tlog", "a.gpx"});
    options.offsets = {{"two.tlog sys 2", 3.0}};
    StudioState state;
    ASSERT_EQ(refusalOf(state, options), "");
    ASSERT_EQ(state.flights.size(), 3u);
    EXPECT_EQ(state.flights[0].name, "two.tlog sys 1");
    EXPECT_EQ(state.flights[1].name, "two.tlog sys 2");
    EXPECT_EQ(state.flights[2].name, "a.gpx");
    EXPECT_EQ(state.flights[1].flight->vehicle, flightreplay::flight::VehicleKind::rover);
    // Both vehicles on the station's clock, by UTC: one moved on by 3 s.
    EXPECT_NEAR(state.flights[1].offset - state.flights[0].offset, 3.0, 1e-6);

    // Sixteen flights at most, vehicles counted one by one.
    StudioOptions many = optionsFor({"two.tlog"});
    for (int i = 0; i < 15; ++i)
        many.logPaths.push_back(dir + "/a.gpx");
    EXPECT_EQ(refusalOf(state, many), dir + "/a.gpx: at most 16 flights, and this file brings more");
}

TEST(FlightPicking, NearestAircraftOrLabelWithinReach)
{
    StudioState state;
    state.flights.resize(2);
    state.flights[0].now.position = osg::Vec3d(100, 100, 0);
    state.flights[1].now.position = osg::Vec3d(130, 100, 0);
    const osg::Matrixd window; // identity: window x, y are the scene's
    struct Case {
        double x, y;
        int expected;
    };
    const Case cases[] = {{103, 98, 0}, {127, 101, 1}, {114, 100, 0}, {116, 100, 1}, {100, 140, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(flightAtWindowPoint(state, window, c.x, c.y, 30.0), c.expected) << c.x << ", " << c.y;
    // Behind the camera nothing is picked.
    const osg::Matrixd behind(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1);
    EXPECT_EQ(flightAtWindowPoint(state, behind, -100, -100, 30.0), -1);
}
