#include <gtest/gtest.h>

#include <cmath>

#include "tools/flight/plan_progress.h"

using namespace flightreplay::flight;

namespace {

constexpr double HOME_LAT = 47.0;
constexpr double HOME_LON = 9.0;
constexpr double METRES_PER_DEGREE = 6371008.8 * M_PI / 180.0;

// The point `north` and `east` metres from home, on the sphere's plane at home.
void place(double east, double north, double& lat, double& lon)
{
    lat = HOME_LAT + north / METRES_PER_DEGREE;
    lon = HOME_LON + east / (METRES_PER_DEGREE * std::cos(HOME_LAT * M_PI / 180.0));
}

MissionItem waypoint(int seq, double east, double north, double altAboveHome, int command = 16)
{
    MissionItem item;
    item.seq = seq;
    item.command = command;
    item.frame = 3;
    item.alt = altAboveHome;
    if (east != 0.0 || north != 0.0)
        place(east, north, item.latDeg, item.lonDeg);
    return item;
}

// Home; 1 km north at 100 m; 1 km north-east at 200 m; a loiter of 80 m
// radius 1 km east; a DO_ item; a jump back to item 1 once; back by home.
Flight squareFlight()
{
    Flight f;
    f.format = FlightFormat::dataflash;
    f.plan.home = {0, HOME_LAT, HOME_LON, 400};
    MissionItem loiter = waypoint(3, 1000, 0, 200, 17);
    loiter.param[2] = 80;
    MissionItem action = waypoint(4, 0, 0, 0, 178);
    MissionItem jump = waypoint(5, 0, 0, 0, 177);
    jump.param[0] = 1;
    f.plan.mission = {waypoint(0, 0, 0, 0), waypoint(1, 0, 1000, 100), waypoint(2, 1000, 1000, 200), loiter, action,
                      jump, waypoint(6, 0, -10, 50)};
    f.plan.mission[0].latDeg = HOME_LAT;
    f.plan.mission[0].lonDeg = HOME_LON;
    return f;
}

FlightEvent eventOf(double t, FlightEventKind kind, int item)
{
    FlightEvent e{t, kind, true};
    e.item = item;
    return e;
}

} // namespace

TEST(PlanProgress, CrossTrackAndHeightErrorAgainstTheLeg)
{
    const Flight flight = squareFlight();
    const PlanRoute route = planRoute(flight, {});
    ASSERT_EQ(route.path, (std::vector<int>{0, 1, 2, 3, 1, 2, 3, 6}));
    const struct {
        const char* name;
        int leg;
        double east, north, alt;
        double crossTrack, heightError, along;
    } cases[] = {
        // Home (400 m) to item 1 (500 m) northwards: right is east.
        {"right of a northbound leg", 1, 30, 500, 460, 30, 460 - 450, 0.5},
        {"left of it", 1, -40, 250, 425, -40, 0, 0.25},
        // Item 1 to item 2 eastwards: right is south.
        {"right of an eastbound leg", 2, 500, 990, 560, 10, 560 - 550, 0.5},
        {"past its end", 2, 1200, 1000, 600, 0, 0, 1.0},
        // Circling the loiter: from its circle, outside positive.
        {"outside the loiter's circle", 3, 1100, 0, 590, 20, -10, 1.0},
        {"inside it", 3, 1000, 50, 600, -30, 0, 1.0},
    };
    for (const auto& c : cases) {
        double lat, lon;
        place(c.east, c.north, lat, lon);
        const LegDeviation d = legDeviation(route, c.leg, lat, lon, c.alt);
        EXPECT_NEAR(d.crossTrackM, c.crossTrack, 0.05) << c.name;
        EXPECT_NEAR(d.heightErrorM, c.heightError, 0.05) << c.name;
        EXPECT_NEAR(d.along, c.along, 1e-3) << c.name;
    }
    EXPECT_TRUE(std::isnan(legDeviation(route, 0, HOME_LAT, HOME_LON, 400).crossTrackM));
    EXPECT_TRUE(std::isnan(legDeviation(route, 8, HOME_LAT, HOME_LON, 400).crossTrackM));
}

TEST(PlanProgress, LegsFromTheLogsEventsThroughALoopElseTheNearest)
{
    Flight flight = squareFlight();
    const PlanRoute route = planRoute(flight, {});
    // Path points: 0 home, 1, 2, 3, 1, 2, 3, 6; DO_ item 4 on leg 4 and on leg 7.
    flight.events = {eventOf(10, FlightEventKind::armed, -1),       eventOf(20, FlightEventKind::missionCurrent, 1),
                     eventOf(30, FlightEventKind::missionCurrent, 2), eventOf(40, FlightEventKind::missionReached, 2),
                     eventOf(50, FlightEventKind::missionCurrent, 4), eventOf(60, FlightEventKind::missionCurrent, 2),
                     eventOf(61, FlightEventKind::missionCurrent, 2), eventOf(70, FlightEventKind::missionCurrent, 0),
                     eventOf(80, FlightEventKind::missionReached, 3),  eventOf(90, FlightEventKind::missionCurrent, 9)};
    const std::vector<LegChange> legs = loggedLegs(flight, route);
    const std::vector<std::pair<double, int>> expected = {{20, 1}, {30, 2}, {40, 3}, {50, 4}, {60, 5}, {70, -1}, {80, 7}};
    ASSERT_EQ(legs.size(), expected.size());
    for (size_t i = 0; i < legs.size(); ++i) {
        EXPECT_DOUBLE_EQ(legs[i].t, expected[i].first) << i;
        EXPECT_EQ(legs[i].leg, expected[i].second) << i;
    }
    EXPECT_EQ(legAt(route, legs, 5, 0, 0), -1);
    EXPECT_EQ(legAt(route, legs, 45, 0, 0), 3);
    EXPECT_EQ(legAt(route, legs, 1000, 0, 0), 7);

    // Without events: the leg closest to the vehicle.
    double lat, lon;
    place(600, 1020, lat, lon);
    EXPECT_EQ(legAt(route, {}, 45, lat, lon), 2);
    place(-20, 300, lat, lon);
    EXPECT_EQ(legAt(route, {}, 45, lat, lon), 1);
    place(400, -40, lat, lon); // beside the way back from the loiter
    EXPECT_EQ(legAt(route, {}, 45, lat, lon), 7);
}
