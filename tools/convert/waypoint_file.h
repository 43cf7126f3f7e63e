#pragma once
// A flight's mission in the QGC WPL 110 text that ground stations load, so
// that a flown plan can be loaded again.

#include <string>

#include "tools/flight/flight.h"

namespace flightreplay::convert {

// "QGC WPL 110", then one line per item, tab-separated: seq, current (1 for
// item 0), frame, command, param1 to param4, latitude, longitude (degrees),
// altitude (in the item's frame), autocontinue. Item 0 is home: the
// mission's own where it starts with home (ArduPilot), else home (as the
// route finds it) before the items, numbered on from 1. Empty for a flight
// without a mission.
std::string waypointFileText(const flight::Flight& flight);

} // namespace flightreplay::convert
