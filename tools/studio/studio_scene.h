#pragma once
// The studio's scene: ground, tracks, sky and aircraft assembled as the
// replay's scene is, with every aircraft moved by the studio's clock
// instead of an animation path.

#include <vector>

#include <osg/Group>
#include <osg/MatrixTransform>

#include "scene/scene.h"
#include "tools/studio/studio_options.h"
#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

// Height of a flight's label above its aircraft, metres.
constexpr double LABEL_ABOVE_METRES = 18.0;

struct StudioScene {
    osg::ref_ptr<osg::Group> root;
    SceneParts parts;
    // One per flight, in the state's order: the aircraft's place (its
    // translation only; the model turns under it), label and marker.
    std::vector<osg::ref_ptr<osg::MatrixTransform>> aircraft;
};

// The scene of the state's flights (map frame set up) through assembleScene:
// the ground (see studio_ground.h), one track per flight with the plans'
// overlay beside them (plan_overlay.h; its terrain lines among the console's
// lines), the sky and one
// aircraft per flight with its model from studio_assets.h, labelled with
// its name in its colour when there are several, then their drop lines
// (drop_lines.h). One line per kind of
// missing data on standard output. Sets each flight's chaseMetres and
// state.ground. Its update callback advances the clock by each frame's real
// time, samples the flights, moves the aircraft, recolours the tracks and
// makes the others translucent in ghost mode, and prints the trace line.
// The state must outlive the scene. Throws tools::ToolError for a --model
// file that cannot be read.
StudioScene buildStudioScene(StudioState& state, const StudioOptions& options);

} // namespace flightreplay::studio
