#pragma once
// The plan overlay's shapes, each one subtree in the scene units of the map
// frame set up (frame/map_frame.h): built once, never changed.

#include <functional>
#include <string>
#include <vector>

#include <osg/Geometry>
#include <osg/Node>
#include <osgText/Text>

#include "tools/flight/flight.h"
#include "tools/flight/plan_route.h"

namespace flightreplay::studio {

// Metres above sea level of the ground drawn under a latitude and longitude.
using GroundAt = std::function<double(double latDeg, double lonDeg)>;

// Scene point of a place and a height above sea level.
osg::Vec3 planPoint(double latDeg, double lonDeg, double altM);

// A label of constant size on screen, its lower left corner at `at`.
osg::ref_ptr<osgText::Text> planLabel(const std::string& text, const osg::Vec3& at, const osg::Vec4& colour);

// A geometry of vertices in one colour each (colours.size() == vertices.size())
// drawn as `mode` (GL_POINTS, GL_LINES, GL_LINE_STRIP, ...), points of
// `size` pixels or lines of that width.
osg::ref_ptr<osg::Geometry> planGeometry(osg::Vec3Array* vertices, osg::Vec4Array* colours, GLenum mode, float size);

// Numbered markers at each placed item's height (grey and "?" where it is
// unresolved; take-off green, landing orange, with a post to the ground),
// lines down to the ground, the path, loiter circles and the DO_ items as
// small numbered marks along the legs they are done on. Of the numbers only
// the 40 nearest the eye within 1.5 km are drawn.
osg::ref_ptr<osg::Node> buildMissionShapes(const flight::PlanRoute& route, const GroundAt& ground);

// Translucent walls from below the ground to the ceiling (above home), else
// FENCE_WALL_METRES above the ground, with opaque edges: inclusion green,
// exclusion red.
osg::ref_ptr<osg::Node> buildFenceShapes(const flight::Plan& plan, double homeAltM, const GroundAt& ground);

// A pole from the ground to each rally point's height above home, with a
// flag and its number.
osg::ref_ptr<osg::Node> buildRallyShapes(const flight::Plan& plan, double homeAltM, const GroundAt& ground);

// A ring and an "H" at home.
osg::ref_ptr<osg::Node> buildHomeShape(const flight::Fix& home);

// Each shot as a small frustum from its place looking down the camera's
// axis (the vehicle's down axis turned by its attitude), its apex a dot.
osg::ref_ptr<osg::Node> buildShotShapes(const std::vector<flight::CameraShot>& shots);

} // namespace flightreplay::studio
