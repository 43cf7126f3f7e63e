#include <gtest/gtest.h>

#include <cmath>

#include "tools/flight/plan_route.h"

using namespace flightreplay::flight;

namespace {

constexpr double HOME_LAT = 47.0;
constexpr double HOME_LON = 9.0;
constexpr double HOME_ALT = 400.0;

MissionItem itemOf(int seq, int command, int frame, double alt, double lat = 0.0, double lon = 0.0, double param1 = 0.0)
{
    MissionItem item;
    item.seq = seq;
    item.command = command;
    item.frame = frame;
    item.alt = alt;
    item.latDeg = lat;
    item.lonDeg = lon;
    item.param[0] = param1;
    return item;
}

// Ground rising 1 m per 0.001° of latitude from 100 m at 47°; no data north of 47.05°.
std::optional<double> slope(double lat, double)
{
    if (lat > 47.05)
        return std::nullopt;
    return 100.0 + (lat - 47.0) * 1000.0;
}

// Every kind of frame, a do-jump, a return and a landing.
Flight missionFlight()
{
    Flight f;
    f.format = FlightFormat::dataflash;
    f.position = {{10, HOME_LAT, HOME_LON, HOME_ALT + 2}};
    f.plan.home = {5, HOME_LAT, HOME_LON, HOME_ALT};
    f.plan.mission = {
        itemOf(0, 16, 0, HOME_ALT, HOME_LAT, HOME_LON),
        itemOf(1, 22, 3, 40),                   // take-off in place
        itemOf(2, 16, 6, 50, 47.01, 9.0),
        itemOf(3, 178, 0, 0),                   // DO_CHANGE_SPEED
        itemOf(4, 16, 10, 30, 47.02, 9.01),
        itemOf(5, 16, 11, 20, 47.06, 9.01),     // beyond the ground data
        itemOf(6, 16, 5, 500, 47.03, 9.0),
        itemOf(7, 177, 0, 0, 0, 0, 2),          // DO_JUMP to 2 once
        itemOf(8, 20, 0, 0),                    // return to launch
        itemOf(9, 21, 0, 395, 47.0005, 9.0),
    };
    return f;
}

} // namespace

TEST(PlanRoute, HeightsResolvedByFrame)
{
    const Flight flight = missionFlight();
    const struct {
        const char* name;
        ElevationLookup ground;
        double heights[10]; // NaN: unresolved or no place
    } cases[] = {
        {"with elevation", slope, {400, 440, 450, NAN, 100 + 20 + 30, NAN, 500, NAN, 500, 395}},
        {"without", {}, {400, 440, 450, NAN, NAN, NAN, 500, NAN, 500, 395}},
    };
    for (const auto& c : cases) {
        const PlanRoute route = planRoute(flight, c.ground);
        ASSERT_EQ(route.items.size(), 10u);
        for (size_t i = 0; i < 10; ++i) {
            const RouteItem& r = route.items[i];
            if (std::isnan(c.heights[i])) {
                EXPECT_FALSE(r.resolved) << c.name << " " << i;
                EXPECT_TRUE(std::isnan(r.altAmsl)) << c.name << " " << i;
            } else {
                EXPECT_TRUE(r.resolved) << c.name << " " << i;
                EXPECT_NEAR(r.altAmsl, c.heights[i], 1e-9) << c.name << " " << i;
            }
        }
        // Unresolved items are drawn at their altitude above home.
        EXPECT_DOUBLE_EQ(drawnAltitude(route, route.items[5]), HOME_ALT + 20);
    }
    const PlanRoute route = planRoute(flight, slope);
    EXPECT_TRUE(route.firstItemIsHome);
    EXPECT_FALSE(route.homeAssumed);
    // Take-off in place, a return to home; the speed change has no place.
    EXPECT_TRUE(route.items[1].placed);
    EXPECT_DOUBLE_EQ(route.items[1].latDeg, HOME_LAT);
    EXPECT_DOUBLE_EQ(route.items[8].latDeg, HOME_LAT);
    EXPECT_DOUBLE_EQ(route.items[8].lonDeg, HOME_LON);
    EXPECT_FALSE(route.items[3].placed);
    EXPECT_FALSE(route.items[7].placed);
}

TEST(PlanRoute, PathFollowsEachJumpOnceWithTheActionsOnTheirLegs)
{
    const PlanRoute route = planRoute(missionFlight(), slope);
    EXPECT_EQ(route.path, (std::vector<int>{0, 1, 2, 4, 5, 6, 2, 4, 5, 6, 8, 9}));
    ASSERT_EQ(route.legActions.size(), route.path.size());
    for (size_t k = 0; k < route.path.size(); ++k)
        EXPECT_EQ(route.legActions[k], route.path[k] == 4 ? std::vector<int>{3} : std::vector<int>{}) << k;
    // Metres from home: item 2 lies 0.01° north.
    ASSERT_EQ(route.pathMetres.size(), route.path.size());
    EXPECT_NEAR(route.pathMetres[2].north, 0.01 * 6371008.8 * M_PI / 180.0, 1e-6);
    EXPECT_NEAR(route.pathMetres[2].east, 0.0, 1e-9);
}

// Jumps chained back to the start, each followed once, would replay the list
// once per jump: the path of a list of thousands of them stays within a
// bound of the list's length, its start intact.
TEST(PlanRoute, ManyJumpsBackMakeABoundedPath)
{
    Flight f = missionFlight();
    f.plan.mission.clear();
    constexpr int PAIRS = 2000;
    for (int k = 0; k < PAIRS; ++k) {
        f.plan.mission.push_back(itemOf(2 * k, 16, 0, 500, HOME_LAT + 1e-4 * k, HOME_LON));
        f.plan.mission.push_back(itemOf(2 * k + 1, 177, 0, 0, 0, 0, 0));
    }
    const PlanRoute route = planRoute(f, slope);
    EXPECT_LE(route.path.size(), 16u * f.plan.mission.size() + 64);
    EXPECT_GT(route.path.size(), f.plan.mission.size());
    ASSERT_GE(route.path.size(), 4u);
    EXPECT_EQ(std::vector<int>(route.path.begin(), route.path.begin() + 4), (std::vector<int>{0, 0, 2, 0}));
    EXPECT_EQ(route.legActions.size(), route.path.size());
}

TEST(PlanRoute, HomeFromThePlanItemZeroOrTheFirstFix)
{
    const struct {
        const char* name;
        FlightFormat format;
        const char* firmware;
        bool planHome;
        bool startsWithHome;
        bool assumed;
        double homeAlt;
    } cases[] = {
        {"plan's home", FlightFormat::dataflash, "ArduPlane V4.3.1", true, true, false, HOME_ALT},
        {"item 0", FlightFormat::dataflash, "ArduPlane V4.3.1", false, true, false, HOME_ALT},
        {"ArduPilot tlog", FlightFormat::tlog, "ArduCopter", false, true, false, HOME_ALT},
        {"PX4 tlog", FlightFormat::tlog, "PX4 v1.14", false, false, true, HOME_ALT + 2},
        {"ULog", FlightFormat::ulog, "PX4", false, false, true, HOME_ALT + 2},
    };
    for (const auto& c : cases) {
        Flight flight = missionFlight();
        flight.format = c.format;
        flight.firmware = c.firmware;
        if (!c.planHome)
            flight.plan.home = {NAN, NAN, NAN, NAN};
        EXPECT_EQ(missionStartsWithHome(flight), c.startsWithHome) << c.name;
        const PlanRoute route = planRoute(flight, slope);
        EXPECT_EQ(route.homeAssumed, c.assumed) << c.name;
        EXPECT_DOUBLE_EQ(route.home.altM, c.homeAlt) << c.name;
        // Heights above home follow the home taken.
        EXPECT_DOUBLE_EQ(route.items[2].altAmsl, c.homeAlt + 50) << c.name;
    }
}
