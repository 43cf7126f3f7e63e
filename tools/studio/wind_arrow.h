#pragma once
// An arrow at the aircraft that shows the wind: it points the way the wind
// blows, its length grows with the speed, and it is hidden where the flight
// has no wind or the link was lost.

#include <osg/Node>

#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

// The arrow's colour: a light green that neither ground, sky nor the
// flights' palette uses.
const osg::Vec4 WIND_ARROW_COLOUR(0.47f, 1.0f, 0.24f, 1.0f);

// The arrow for the flight, to hang under its aircraft's place (translation
// only): it follows flight.now on every update traversal, its length
// metres per m/s of wind a tenth of the chase distance, between 1 and 20
// m/s. The flight must outlive the node.
osg::ref_ptr<osg::Node> buildWindArrow(const StudioFlight& flight);

// Scene direction (+x south, +y east) the wind blows towards, of the
// compass direction it blows from (degrees clockwise from north).
osg::Vec3d windHeading(double fromDegrees);

} // namespace flightreplay::studio
