#pragma once
// The studio's scene: the replay's terrain, track, sky and aircraft model,
// with the aircraft moved by the studio's clock instead of an animation path.

#include <osg/Group>

#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

// The root (lighting off) with terrain, track, sky and the aircraft
// transform, in the replay's order. Its update callback advances the clock
// by each frame's real time, samples the flight into state.now, moves the
// aircraft, recolours the track when state.colouring changes and prints the
// trace line. The state must outlive the scene; the caller owns the root.
osg::Group* buildStudioScene(StudioState& state);

// The aircraft transform of a root made by buildStudioScene.
osg::MatrixTransform* aircraftTransformOf(osg::Group& root);

} // namespace flightreplay::studio
