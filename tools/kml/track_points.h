#pragma once
// The points of a flight that go into a Google Earth track, and the flight
// at any moment between them.

#include <cstddef>
#include <vector>

#include "tools/flight/flight.h"

namespace flightreplay::kml {

// A track keeps at most this many fixes of a flight; more are thinned.
constexpr size_t MAX_TRACK_POINTS = 50000;

// The vehicle's attitude as KML's Model Orientation and gx:angles hold it,
// in degrees, on the model axes x east, y north, z up (the model's nose
// along +y, its right wing along +x at heading 0):
//   heading: about z, clockwise seen from above, 0 north: the compass
//            heading, aerospace yaw;
//   tilt:    about x, positive nose up: aerospace pitch;
//   roll:    about y, positive right wing down (clockwise looking along
//            the nose, as tilt is looking along the right wing): aerospace roll.
// Google Earth applies roll, then tilt, then heading, the order in which
// aerospace yaw, pitch and roll compose: so they carry over unchanged.
struct KmlAngles {
    double heading; // [0, 360)
    double tilt;    // [-180, 180]
    double roll;    // [-180, 180]
};

struct TrackPoint {
    double t; // the flight's own clock, seconds
    double latDeg;
    double lonDeg;
    double altM; // above mean sea level
    KmlAngles angles;
};

// Indices of the fixes a track keeps out of fixCount: all of them up to
// maxPoints, else every k-th from the first, k = ceil((fixCount - 1) /
// (maxPoints - 1)), and the last fix: at most maxPoints (at least 2) in all.
std::vector<size_t> keptFixes(size_t fixCount, size_t maxPoints);

// The kept fixes with the attitude at each (interpolated, angles the short
// way round; level and heading north where the flight has none).
std::vector<TrackPoint> trackPoints(const flight::Flight& flight, size_t maxPoints = MAX_TRACK_POINTS);

// Position at t on the flight's clock, linear between fixes and held at the
// ends; the flight must have a fix.
flight::Fix positionAt(const flight::Flight& flight, double t);

// Attitude at t as above.
KmlAngles anglesAt(const flight::Flight& flight, double t);

} // namespace flightreplay::kml
