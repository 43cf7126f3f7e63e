#pragma once
// The ground under the studio's flights: the replay's terrain where the
// folder holds its elevation files (image tiles it lacks drawn as a grid),
// else a flat ground with the grid at the best height known. The core
// builders' per-file console lines become one line per kind of missing data.

#include <string>
#include <vector>

#include <osg/Image>
#include <osg/Node>

#include "tools/flight/flight.h"
#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

struct StudioGround {
    osg::ref_ptr<osg::Node> node;
    GroundInfo info;
    std::string note; // one line on what is missing; empty when nothing is
};

// The ground for the map frame (set up) in the working directory. fetchHint
// names the flights for `flightreplay-prep fetch` in the note; takeoff is
// the flight the flat ground's height comes from.
StudioGround buildStudioGround(const flight::Flight& takeoff, const std::string& fetchHint);

// Lowest altitude (metres above sea level) of the fixes within 500 m of
// the first one: where the vehicle stood before it took off. 0 without fixes.
double takeoffGroundAltitude(const flight::Flight& flight);

// A neutral texture for one square kilometre: lines every 100 m, a stronger
// one along the kilometre, to be repeated over the ground.
osg::ref_ptr<osg::Image> groundGridImage();

// A square of flat ground at heightMetres covering the terrain patch around
// the map frame's centre tile, textured with the grid at its true scale.
osg::ref_ptr<osg::Node> buildFlatGround(double heightMetres);

} // namespace flightreplay::studio
