#pragma once
// The ground under the studio's flights: the replay's terrain where the
// folder holds its elevation files (image tiles it lacks drawn with the
// ground's lines, see ground_lines.h), else a flat ground with those lines
// at the best height known. The core
// builders' per-file console lines become one line per kind of missing data.

#include <string>
#include <vector>

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

// A square of flat ground at heightMetres covering the terrain patch around
// the map frame's centre tile, drawn with the ground's lines.
osg::ref_ptr<osg::Node> buildFlatGround(double heightMetres);

} // namespace flightreplay::studio
