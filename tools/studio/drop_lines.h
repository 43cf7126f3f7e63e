#pragma once
// A line from each flight's aircraft straight down to the ground and a soft
// dark mark where it meets it, so that height and place over the ground
// read at a glance, on the made-up ground as on real terrain and imagery.

#include <vector>

#include <osg/Node>
#include <osg/Vec3d>

#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

// Where the vertical through scene point `at` meets the top of ground (above
// or below the point): true with that point and the surface's upward unit
// normal, scene frame; false where no ground lies on the vertical.
bool groundBelow(osg::Node& ground, const osg::Vec3d& at, osg::Vec3d& hit, osg::Vec3d& normal);

// Radius in metres of the mark under an aircraft of modelRadiusMetres at
// heightMetres above the ground: the model's own size, spreading with height
// as a shadow's blur does, so that it stays in sight from far above.
double markRadiusMetres(double modelRadiusMetres, double heightMetres);

// The drop lines of the state's flights: one child per flight in the state's
// order, its line in the flight's colour. Its update callback places them
// from each flight's `now` every frame (after the state is sampled) and
// hides them while state.dropLines is off. modelRadiiMetres has one radius
// per flight. The state must outlive the node.
osg::ref_ptr<osg::Node> buildDropLines(const StudioState& state, osg::Node& ground,
                                       const std::vector<double>& modelRadiiMetres);

} // namespace flightreplay::studio
