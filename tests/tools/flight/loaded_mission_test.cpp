#include <gtest/gtest.h>

#include <vector>

#include "tools/flight/loaded_mission.h"

using namespace flightreplay::flight;

namespace {

MissionItem item(int seq, int command, double lat = 0.0, double lon = 0.0)
{
    MissionItem m;
    m.seq = seq;
    m.command = command;
    m.latDeg = lat;
    m.lonDeg = lon;
    return m;
}

// ArduPlane with no mission loaded: home a waypoint at 0, 0, five items of
// command 0 at 0, 0.
std::vector<MissionItem> arduPlaneWithout()
{
    std::vector<MissionItem> items = {item(0, 16)};
    for (int seq = 1; seq <= 5; ++seq)
        items.push_back(item(seq, 0));
    return items;
}

} // namespace

TEST(LoadedMission, NoItemButHomeWithANavigationCommandOrACommandAndAPlaceIsNoMission)
{
    const struct {
        const char* name;
        FlightFormat format;
        std::vector<MissionItem> items;
        bool mission;
    } cases[] = {
        {"ArduPlane without a mission", FlightFormat::dataflash, arduPlaneWithout(), false},
        {"home alone, with its place", FlightFormat::tlog, {item(0, 16, 47.0, 9.0)}, false},
        {"command 0 at a place", FlightFormat::dataflash, {item(0, 16, 47.0, 9.0), item(1, 0, 47.1, 9.0)}, false},
        {"actions without a place", FlightFormat::dataflash, {item(0, 16), item(1, 178), item(2, 177)}, false},
        {"no list", FlightFormat::dataflash, {}, false},
        {"take-off in place", FlightFormat::dataflash, {item(0, 16), item(1, 22)}, true},
        {"return to launch", FlightFormat::tlog, {item(0, 16), item(1, 0), item(2, 20)}, true},
        {"an action with a place", FlightFormat::dataflash, {item(0, 16), item(1, 201, 47.0, 9.0)}, true},
        {"an unnamed command with a place", FlightFormat::tlog, {item(0, 16), item(1, 93, 47.0, 9.0)}, true},
        // PX4's lists have no home: item 0 counts.
        {"PX4: one waypoint", FlightFormat::ulog, {item(0, 16, 47.0, 9.0)}, true},
        {"PX4: zeros", FlightFormat::ulog, {item(0, 0), item(1, 0)}, false},
    };
    for (const auto& c : cases) {
        Flight flight;
        flight.format = c.format;
        flight.plan.mission = c.items;
        EXPECT_EQ(holdsMission(flight), c.mission) << c.name;

        flight.events = {{1.0, FlightEventKind::armed, true},
                         {2.0, FlightEventKind::missionCurrent, true, 0, 1},
                         {3.0, FlightEventKind::missionReached, true, 0, 1}};
        dropUnloadedMission(flight);
        const bool kept = c.mission || c.items.empty();
        EXPECT_EQ(flight.plan.mission.size(), kept ? c.items.size() : 0u) << c.name;
        EXPECT_EQ(flight.plan.unloadedItems, kept ? 0u : c.items.size()) << c.name;
        EXPECT_EQ(flight.events.size(), kept ? 3u : 1u) << c.name;
        EXPECT_EQ(flight.events.front().kind, FlightEventKind::armed) << c.name;
    }
}
