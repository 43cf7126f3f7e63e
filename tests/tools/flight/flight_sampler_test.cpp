#include <cmath>

#include <gtest/gtest.h>

#include "frame/map_frame.h"
#include "path/animation_path.h"
#include "tools/flight/flight_sampler.h"

using namespace flightreplay::flight;

namespace {

constexpr double PI = MAP_PI;

class SamplerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = mapFrame;
        mapFrame.CI = 91000;
        mapFrame.CJ = 139000;
        mapFrame.k = 1.0 / (std::cos(48.0 * PI / 180.0) * MAP_FRAME_EARTH_RADIUS * 2.0 * PI / FRAME_SIZE);
    }
    void TearDown() override { mapFrame = saved; }
    MapFrame saved{};
};

// Fixes at boot seconds 100, 101 and 103, climbing 10 m a fix, 0.001
// minutes of latitude apart.
Flight threeFixes()
{
    Flight f;
    for (int i = 0; i < 3; ++i)
        f.position.push_back({100.0 + (i == 2 ? 3.0 : i), 48.0 + 0.001 / 60.0 * i, 11.5, 100.0 + 10.0 * i});
    f.attitude = {{100.0, 0.0, 0.0, 0.1}, {101.0, -0.2, 0.1, 2 * PI - 0.1}, {103.0, -0.4, 0.3, 0.3}};
    f.voltage = {{100.5, 12.0}, {102.5, 11.0}};
    f.satellites = {{100.0, 7}, {102.0, 9}};
    f.modes = {{101.5, 3, "AUTO"}};
    f.utcAtClockZero = 1.7e9;
    return f;
}

} // namespace

TEST_F(SamplerTest, ValuesAtChosenTimes)
{
    const Flight flight = threeFixes();
    const FlightSampler sampler(flight);
    EXPECT_DOUBLE_EQ(sampler.duration(), 3.0);
    EXPECT_DOUBLE_EQ(sampler.clockAtStart(), 100.0);
    struct Case {
        double t;
        int fix;
        double altitude, yaw, roll, voltage, satellites;
        int mode;
    };
    // Worked by hand: t is seconds from the first fix (boot 100 + t).
    const Case cases[] = {
        {0.0, 0, 100.0, 0.1, 0.0, 12.0, 7, -1},             // before the first voltage: held
        {0.5, 0, 105.0, 0.0, -0.1, 12.0, 7, -1},            // yaw 0.1 -> -0.1 the short way: 0
        {2.0, 1, 115.0, 0.1, -0.3, 11.25, 9, 0},             // halfway from fix 1 to fix 2
        {1.25, 1, 111.25, 2 * PI - 0.05, -0.225, 11.625, 7, -1},
        {9.0, 2, 120.0, 0.3, -0.4, 11.0, 9, 0},             // after the end: the last fix
    };
    for (const Case& c : cases) {
        const FlightSample s = sampler.sample(c.t);
        EXPECT_EQ(s.fix, c.fix) << c.t;
        EXPECT_NEAR(s.altitude, c.altitude, 1e-9) << c.t;
        EXPECT_NEAR(std::remainder(s.yaw - c.yaw, 2 * PI), 0.0, 1e-9) << c.t;
        EXPECT_GE(s.yaw, 0.0);
        EXPECT_LT(s.yaw, 2 * PI);
        EXPECT_NEAR(s.roll, c.roll, 1e-9) << c.t;
        EXPECT_NEAR(s.voltage, c.voltage, 1e-9) << c.t;
        EXPECT_DOUBLE_EQ(s.satellites, c.satellites) << c.t;
        EXPECT_EQ(s.mode, c.mode) << c.t;
        EXPECT_DOUBLE_EQ(s.utc, 1.7e9 + 100.0 + std::min(c.t, 3.0)) << c.t;
    }
}

TEST_F(SamplerTest, ScenePositionAndAttitudeAsTheReplayDraws)
{
    const Flight flight = threeFixes();
    const FlightSampler sampler(flight);
    const FlightSample onFix = sampler.sample(1.0);
    EXPECT_EQ(osg::Vec3f(onFix.position), geoToScene(flight.position[1].latDeg, 11.5, 110.0));
    const FlightSample mid = sampler.sample(2.0);
    const osg::Vec3d halfway = (sampler.scenePositions()[1] + sampler.scenePositions()[2]) * 0.5;
    EXPECT_NEAR((mid.position - halfway).length(), 0.0, 1e-9);
    // Compass 0.1 rad is the log's heading pi/2 - 0.1; aerospace roll -0.3
    // (left wing down) is the log's +0.3.
    const osg::Quat expected = attitudeOf(PI / 2 - 0.1, 0.2, 0.3);
    EXPECT_NEAR(std::fabs(mid.attitude.asVec4() * expected.asVec4()), 1.0, 1e-9);
}

TEST_F(SamplerTest, GroundSpeedRecordedElseFromPositions)
{
    Flight flight = threeFixes();
    const FlightSampler derived(flight);
    // Fix 1 by central difference over 3 s: 0.002 minutes of latitude on the
    // frame's sphere of 6374 km, and 20 m of climb.
    EXPECT_NEAR(derived.groundSpeeds()[1], 6374000.0 * 0.002 / 60.0 * PI / 180.0 / 3.0, 0.002);
    EXPECT_NEAR(derived.sample(1.0).verticalSpeed, 20.0 / 3.0, 1e-9);

    flight.groundSpeed = {{100.0, 17.0}, {103.0, 20.0}};
    const FlightSampler recorded(flight);
    EXPECT_NEAR(recorded.sample(1.0).groundSpeed, 18.0, 1e-9);
}

TEST_F(SamplerTest, LongFlightKeepsEveryFix)
{
    Flight flight;
    for (int i = 0; i < 50000; ++i)
        flight.position.push_back({i * 0.1, 48.0, 11.5, 100.0 + (i % 2)});
    const FlightSampler sampler(flight);
    EXPECT_EQ(sampler.scenePositions().size(), 50000u);
    EXPECT_EQ(sampler.sample(4321.15).fix, 43211);
    EXPECT_NEAR(sampler.sample(4321.15).altitude, 100.5, 1e-6);
    EXPECT_EQ(FlightSampler(Flight{}).sample(3.0).fix, 0);
}

TEST_F(SamplerTest, ALostLinkHoldsWhatWasLastHeard)
{
    // Fixes every second from 100 s; nothing heard from 103 s to 108 s.
    Flight f;
    for (double t : {100.0, 101.0, 102.0, 103.0, 108.0, 109.0})
        f.position.push_back({t, 48.0, 11.5 + 0.0001 * (t - 100.0), 100.0 + (t - 100.0)});
    f.voltage = {{100.0, 12.0}, {103.0, 11.7}, {108.0, 11.2}};
    f.windSpeed = {{100.0, 2.0}, {103.0, 4.0}, {108.0, 8.0}};
    f.windDirection = {{100.0, 350.0}, {103.0, 350.0}, {108.0, 10.0}};
    f.utcAtClockZero = 1.7e9;
    FlightEvent lost{103.0, FlightEventKind::linkLost, true, 5.0};
    f.events = {lost};
    const FlightSampler sampler(f);
    ASSERT_EQ(sampler.trackBreaks(), std::vector<size_t>{3});

    const struct {
        double t; // seconds from the first fix
        bool linkLost;
        double altitude, voltage, windSpeed, windDirection;
    } cases[] = {
        {2.5, false, 102.5, 12.0 - 0.3 * 2.5 / 3.0, 2.0 + 2.0 * 2.5 / 3.0, 350.0},
        {4.0, true, 103.0, 11.7, 4.0, 350.0},
        {7.9, true, 103.0, 11.7, 4.0, 350.0},
        {8.0, false, 108.0, 11.2, 8.0, 10.0},
        {8.5, false, 108.5, 11.2, 8.0, 10.0},
    };
    for (const auto& c : cases) {
        const FlightSample s = sampler.sample(c.t);
        EXPECT_EQ(s.linkLost, c.linkLost) << c.t;
        EXPECT_NEAR(s.altitude, c.altitude, 1e-9) << c.t;
        EXPECT_NEAR(s.voltage, c.voltage, 1e-9) << c.t;
        EXPECT_NEAR(s.windSpeed, c.windSpeed, 1e-9) << c.t;
        EXPECT_NEAR(s.windDirection, c.windDirection, 1e-9) << c.t;
        EXPECT_NEAR(s.utc - f.utcAtClockZero, 100.0 + c.t, 1e-6) << "the clock runs on";
    }
    // Heard all along, the wind between 350° and 10° turns the short way,
    // through north.
    Flight heard = f;
    heard.events.clear();
    const double midway = FlightSampler(heard).sample(5.5).windDirection;
    EXPECT_NEAR(std::fmod(midway + 180.0, 360.0) - 180.0, 0.0, 1e-6);
    EXPECT_TRUE(FlightSampler(heard).trackBreaks().empty());
    Flight noWind = f;
    noWind.windSpeed.clear();
    EXPECT_TRUE(std::isnan(FlightSampler(noWind).sample(1.0).windSpeed));
}
