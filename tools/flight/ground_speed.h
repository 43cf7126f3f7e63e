#pragma once
// Speed over the ground along a flight's track, computed once for everyone:
// the take-off and landing found in the data, the attitude derived from a
// track, the studio's instruments, plots and track colours.

#include <vector>

#include "tools/flight/flight.h"

namespace flightreplay::flight {

// Metres per second east and north.
struct GroundVelocity {
    double east;
    double north;
};

// The velocity at every fix (fixes in time order): the chord from the fix
// at least half a second before to the one at least half a second after
// (the first and last fix at the ends), so that the metre or so a GPS
// position jitters from fix to fix is a small part of it. Zero where the
// chord spans no time.
std::vector<GroundVelocity> trackVelocities(const std::vector<Fix>& fixes);

// Ground speed at every fix of the flight, m/s: the recorded ground speed
// (linear between its samples) at fixes within the time it was recorded,
// the speed of trackVelocities elsewhere.
std::vector<double> groundSpeedsAtFixes(const Flight& flight);

} // namespace flightreplay::flight
