#pragma once
// The flight track coloured by a value of the flight, with the ramp its
// legend shows.

#include <osg/Geometry>
#include <osg/Vec4>

#include "tools/studio/flight_timeline.h"
#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

// Colour at f on the ramp (clamped to 0 ... 1): blue, cyan, green, yellow, red.
osg::Vec4 rampColour(double f);

struct ValueRange {
    double low = 0.0;
    double high = 0.0;
};

// Lowest and highest altitude (metres) or ground speed (m/s) over the rows;
// 0 ... 0 for white or an empty flight.
ValueRange colouringRange(const FlightTimeline& timeline, TrackColouring colouring);

// Gives the track's line one colour per row from the ramp, or white for
// TrackColouring::white. The track has one vertex per row of the timeline.
void colourTrack(osg::Geometry& track, const FlightTimeline& timeline, TrackColouring colouring);

} // namespace flightreplay::studio
