#pragma once
// The flight track coloured by a value of the flight, with the ramp its
// legend shows.

#include <vector>

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
// each mode's colour), or `plain` for TrackColouring::white and for
// TrackColouring::field, whose colours come from colourTrackByValues. The
// track has one vertex per fix.
void colourTrack(osg::Geometry& track, const FlightSampler& flight, TrackColouring colouring,
                 const osg::Vec4& plain = osg::Vec4(1, 1, 1, 1));

// How far from a fix a field's sample still tells its value there, seconds.
constexpr double FIELD_HOLD_SECONDS = 2.0;

// A field's value at each fix: the highest of its samples between the
// midpoints to the neighbouring fixes (a peak between two fixes still
// shows), else the nearest sample within FIELD_HOLD_SECONDS, else NaN.
// series: on the flight's clock, in time order (field_catalogue.h).
std::vector<double> fieldAtFixes(const FlightSampler& flight, const flight::Series& series);

// Lowest and highest of the finite values; 0 ... 0 without one.
ValueRange valuesRange(const std::vector<double>& values);

// One colour per value (per fix) from the ramp over range, grey where the
// value is NaN.
void colourTrackByValues(osg::Geometry& track, const std::vector<double>& values, const ValueRange& range);

} // namespace flightreplay::studio
