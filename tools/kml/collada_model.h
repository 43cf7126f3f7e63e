#pragma once
// The vehicle's built-in model as COLLADA, for a Google Earth Model.

#include <string>

#include <osg/Node>

#include "tools/flight/flight.h"

namespace flightreplay::kml {

// The rotation from the built-in models' axes (nose along -x, top along +y,
// left wing along +z) to KML's model axes (nose along +y, north at heading
// 0; top along +z; right wing along +x, east).
osg::Matrixd kmlModelAxes();

// The COLLADA 1.4.1 text of `model` (metres, the built-in axes), turned into
// KML's model axes, Z up, one unit a metre, surfaces double-sided, written
// by OpenSceneGraph's COLLADA plug-in (osgdb_dae). Throws tools::ToolError
// when the plug-in is missing or writes nothing.
std::string colladaModel(osg::Node& model);

} // namespace flightreplay::kml
