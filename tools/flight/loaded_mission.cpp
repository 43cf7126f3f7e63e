#include "tools/flight/loaded_mission.h"

#include <algorithm>

#include "log/geography.h"
#include "tools/flight/mission_commands.h"
#include "tools/flight/plan_route.h"

namespace flightreplay::flight {

namespace {

bool meansSomething(const MissionItem& item)
{
    return item.command != 0
           && (commandKind(item.command) == CommandKind::navigation || hasPlace(item.latDeg, item.lonDeg));
}

bool isMissionEvent(const FlightEvent& event)
{
    return event.kind == FlightEventKind::missionCurrent || event.kind == FlightEventKind::missionReached;
}

} // namespace

bool holdsMission(const std::vector<MissionItem>& items, bool firstItemIsHome)
{
    const auto first = items.begin() + (firstItemIsHome && !items.empty() ? 1 : 0);
    return std::any_of(first, items.end(), meansSomething);
}

bool holdsMission(const Flight& flight)
{
    return holdsMission(flight.plan.mission, missionStartsWithHome(flight));
}

void dropUnloadedMission(Flight& flight)
{
    if (flight.plan.mission.empty() || holdsMission(flight))
        return;
    flight.plan.unloadedItems = flight.plan.mission.size();
    flight.plan.mission.clear();
    flight.events.erase(std::remove_if(flight.events.begin(), flight.events.end(), isMissionEvent), flight.events.end());
}

} // namespace flightreplay::flight
