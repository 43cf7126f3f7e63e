#pragma once
// The flight track coloured by a value of the flight, with the ramp its
// legend shows.

#include <osg/Geometry>
#include <osg/Vec4>

#include "tools/flight/flight_sampler.h"
#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

// Colour at f on the ramp (clamped to 0 ... 1): blue, cyan, green, yellow, red.
osg::Vec4 rampColour(double f);

struct ValueRange {
    double low = 0.0;
    double high = 0.0;
};

// Lowest and highest altitude (metres) or ground speed (m/s) over the fixes;
// 0 ... 0 for white or a flight without fixes.
ValueRange colouringRange(const FlightSampler& flight, TrackColouring colouring);

// Gives the track's line one colour per fix from the ramp (by flight mode:
// each mode's colour), or `plain` for TrackColouring::white. The track has one vertex per fix.
void colourTrack(osg::Geometry& track, const FlightSampler& flight, TrackColouring colouring,
                 const osg::Vec4& plain = osg::Vec4(1, 1, 1, 1));

} // namespace flightreplay::studio
