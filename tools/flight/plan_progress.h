#pragma once
// Where along its route the vehicle was at a time, and how far from it:
// the leg being flown, the distance across it and the height error.

#include <vector>

#include "tools/flight/flight.h"
#include "tools/flight/plan_route.h"

namespace flightreplay::flight {

// Leg k of a route runs from path point k - 1 to path point k (k >= 1).
struct LegChange {
    double t;  // flight clock, seconds
    int leg;   // from t on; -1 for none (the vehicle flies to home, item 0)
};

// The legs the log says were flown, in time order: a mission-current event
// for item s starts the leg that ends at s (the first such leg from the one
// flown before on, so that a loop flown again moves on through the path), a
// DO_ item the leg it is done on; a reached event for s the leg after s.
// Empty when the log says nothing of the mission's progress.
std::vector<LegChange> loggedLegs(const Flight& flight, const PlanRoute& route);

// The leg closest to a point (metres east and north of home) across its
// length; -1 for a route with fewer than two points.
int nearestLeg(const PlanRoute& route, const LocalOffset& at);

// The leg at flight-clock time t: from the logged changes where there are
// any (-1 before the first), else the leg nearest to the vehicle's place.
int legAt(const PlanRoute& route, const std::vector<LegChange>& logged, double t, double latDeg, double lonDeg);

struct LegDeviation {
    double crossTrackM = NAN; // metres from the leg's line, positive to its right; from a loiter's circle
                              // while the vehicle circles it (within twice its radius)
    double heightErrorM = NAN; // metres above the leg's height there (linear between its ends); NaN
                               // where either end's height is unresolved
    double along = NAN;        // fraction of the leg flown, 0 ... 1
};

// The vehicle at (latitude, longitude, metres above sea level) against leg
// leg of the route; all NaN for no leg.
LegDeviation legDeviation(const PlanRoute& route, int leg, double latDeg, double lonDeg, double altAmsl);

} // namespace flightreplay::flight
