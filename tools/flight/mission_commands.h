#pragma once
// What the numbers of a mission item mean: MAVLink's command (MAV_CMD) and
// frame (MAV_FRAME) numbers as the plan's readers, listing and drawing need
// them.

#include <string>
#include <vector>

#include "tools/flight/flight.h"

namespace flightreplay::flight {

namespace mav_cmd {
constexpr int WAYPOINT = 16;
constexpr int LOITER_UNLIMITED = 17;
constexpr int LOITER_TURNS = 18;
constexpr int LOITER_TIME = 19;
constexpr int RETURN_TO_LAUNCH = 20;
constexpr int LAND = 21;
constexpr int TAKEOFF = 22;
constexpr int LOITER_TO_ALT = 31;
constexpr int SPLINE_WAYPOINT = 82;
constexpr int VTOL_TAKEOFF = 84;
constexpr int VTOL_LAND = 85;
constexpr int DO_FIRST = 176;
constexpr int DO_JUMP = 177;
constexpr int DO_LAND_START = 189;
constexpr int DO_LAST = 252;
constexpr int FENCE_POLYGON_INCLUSION = 5001;
constexpr int FENCE_POLYGON_EXCLUSION = 5002;
constexpr int FENCE_CIRCLE_INCLUSION = 5003;
constexpr int FENCE_CIRCLE_EXCLUSION = 5004;
constexpr int RALLY_POINT = 5100;
} // namespace mav_cmd

enum class CommandKind {
    navigation, // flies to a place: its own, or the one before it (take-off, land, loiter in place), or home (return)
    action,     // a DO_ command, done on the way to the next navigation item
    fence,      // a fence vertex or circle
    rally,      // a rally point
    other,      // anything else (delays, conditions): neither drawn nor flown to
};

CommandKind commandKind(int command);

// "WAYPOINT", "TAKEOFF", "DO_JUMP", ...; "command <n>" for a number without
// a name here.
std::string commandName(int command);

enum class AltitudeFrame {
    amsl,         // frames 0 and 5
    aboveHome,    // frames 3 and 6
    aboveTerrain, // frames 10 and 11
    unknown,
};

AltitudeFrame altitudeFrame(int frame);

bool isTakeoff(int command);
bool isLanding(int command);
bool isLoiter(int command);

// Metres of a loiter's circle as the item gives it (its sign, the direction
// of turn, dropped); 0 for other items and where the item leaves it to the
// autopilot's default.
double loiterRadiusM(const MissionItem& item);

// The fence regions of fence items in their order: a polygon of the
// consecutive 5001 (inclusion) or 5002 (exclusion) vertices, as many as the
// first one's param1 says; a circle of each 5003 (inclusion) or 5004
// (exclusion) item, radius param1 metres. Polygons of fewer than three
// vertices, circles without a radius and places off the globe are left out.
std::vector<FenceRegion> fenceRegionsOf(const std::vector<MissionItem>& items);

} // namespace flightreplay::flight
