#pragma once
// Whether a mission list is a mission. An autopilot with none loaded still
// reports a list: ArduPilot's is home and items of command 0, every place
// 0, 0. Every reader's flight goes through dropUnloadedMission, so that no
// program lists, writes or draws such a list.

#include "tools/flight/flight.h"

namespace flightreplay::flight {

// Whether the flight's mission list holds a mission: some item but home
// (item 0 where missionStartsWithHome) has a navigation command, or a
// command other than 0 and a place. A list whose commands are all 0, or
// none of whose items has a place or a navigation command, holds none.
bool holdsMission(const Flight& flight);
// The same of a list, item 0 home where firstItemIsHome.
bool holdsMission(const std::vector<MissionItem>& items, bool firstItemIsHome);

// Empties a mission list that holds no mission, and the mission's current
// and reached events with it (they number items of no mission); counts its
// items in plan.unloadedItems.
void dropUnloadedMission(Flight& flight);

} // namespace flightreplay::flight
