#pragma once
// What was planned, drawn over the studio's scene: the mission (numbered
// markers at each item's height above sea level, the planned path, take-off,
// landing and return marks, loiter circles, DO_ actions on their legs, the
// leg being flown highlighted), the fence as translucent walls, rally points
// as flags, home, and the camera shots as small frusta that a click names.

#include <string>
#include <vector>

#include <osg/Node>
#include <osg/Vec4>

#include "tools/flight/flight.h"
#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

// Colours the overlay draws in, for the pictures' checks.
namespace plan_colour {
const osg::Vec4 MISSION(1.0f, 0.16f, 0.86f, 1.0f);     // markers, path, loiter circles
const osg::Vec4 UNRESOLVED(0.62f, 0.62f, 0.62f, 1.0f); // an item whose height is not known
const osg::Vec4 CURRENT(1.0f, 0.9f, 0.0f, 1.0f);       // the leg flown and its item
const osg::Vec4 TAKEOFF(0.24f, 0.86f, 0.35f, 1.0f);
const osg::Vec4 LANDING(1.0f, 0.55f, 0.1f, 1.0f);
const osg::Vec4 ACTION(0.47f, 0.78f, 1.0f, 1.0f);
const osg::Vec4 INCLUSION(0.15f, 0.95f, 0.55f, 0.35f); // fence walls; their edges opaque
const osg::Vec4 EXCLUSION(0.95f, 0.15f, 0.15f, 0.35f);
const osg::Vec4 RALLY(1.0f, 0.43f, 0.0f, 1.0f);
const osg::Vec4 HOME(0.0f, 0.86f, 1.0f, 1.0f);
const osg::Vec4 SHOT(1.0f, 1.0f, 0.55f, 1.0f);
} // namespace plan_colour

// Height of the fence's walls above the ground where the fence has no ceiling.
constexpr double FENCE_WALL_METRES = 100.0;

struct PlanOverlay {
    osg::ref_ptr<osg::Node> node; // null when no flight has a plan to show
    std::vector<std::string> lines; // for the console: each flight's terrain line
};

// Gives every flight with a plan to show its plan view (StudioFlight::plan;
// heights above terrain and the terrain comparison from the folder's
// elevation files) and builds the overlay for the map frame set up, on the
// ground the state's GroundInfo describes. Its update callback shows it
// while state.showPlan, follows the leg each flight flies and its deviation;
// its event callback picks the camera shot under a click. The state must
// outlive the node.
PlanOverlay buildPlanOverlay(StudioState& state);

// The shot of the flight whose frustum's apex lies within radius pixels of
// window point (x, y) under worldToWindow, the nearest; -1 for none.
int shotAtWindowPoint(const flight::Flight& flight, const osg::Matrixd& worldToWindow, double x, double y,
                      double radius);

} // namespace flightreplay::studio
