#pragma once
// A flight's track drawn as line strips that stop where the link was lost:
// a ground station's log knows nothing of the path flown meanwhile.

#include <osg/Geometry>

#include "tools/flight/flight_sampler.h"

namespace flightreplay::studio {

// Adds to track (one vertex per fix) one GL_LINE_STRIP per stretch between
// the flight's track breaks (FlightSampler::trackBreaks), in fix order.
void addTrackStrips(osg::Geometry& track, const flight::FlightSampler& flight);

} // namespace flightreplay::studio
