#pragma once
// The area a flight covers, as the replay will see it once the flight is
// converted: prep fetches ground for it and the studio centres its map frame
// on it, so the two always agree.

#include "log/log_reader.h"
#include "tools/flight/flight.h"

namespace flightreplay::flight {

// Latitude and longitude extents in minutes of arc of the positions the
// converter writes by default: one row per fix (a tidied flight's, at
// distinct times), or MAX_LOG_ROWS rows evenly spaced in time, positions
// interpolated, where the fixes are more; each rounded to the 5 decimals the
// log holds. Untouched start values (LogExtents) for a flight without fixes.
LogExtents flightExtent(const Flight& flight);

// Latitude and longitude extents in minutes of arc of the places the plan
// holds: mission items with a position of their own, fence polygons and
// circles (to their edge), rally points and home. Untouched start values
// for a flight without any.
LogExtents planExtent(const Flight& flight);

// Widens `into` to take in `more`.
void addExtent(LogExtents& into, const LogExtents& more);

} // namespace flightreplay::flight
