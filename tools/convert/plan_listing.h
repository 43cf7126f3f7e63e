#pragma once
// The plan as --list prints it: the mission as a table, fence, rally
// points, home, camera shots and the terrain comparison.

#include <string>

#include "tools/flight/elevation_lookup.h"
#include "tools/flight/flight.h"

namespace flightreplay::convert {

// Lines of text, times in seconds from zeroT (the first fix); empty for a
// flight with no plan, home, shots or terrain reports. The mission table
// has each item's seq, command name, frame, latitude, longitude and
// altitude as given, and its height above sea level as resolved (ground
// gives the elevation for the terrain frames; "unresolved" without it, "-"
// for an item with no place), or one line saying there is none; then the
// terrain line (terrainLine).
std::string listPlan(const flight::Flight& data, const flight::ElevationLookup& ground, double zeroT);

// "the autopilot's list of 6 items holds nothing to fly" for a plan whose
// list held no mission (flight::dropUnloadedMission); empty otherwise.
std::string unloadedMissionText(const flight::Plan& plan);

} // namespace flightreplay::convert
