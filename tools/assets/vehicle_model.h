#pragma once
// The vehicle's model as a scene node, and the sizes that follow from it.

#include <string>

#include <osg/Node>

#include "tools/flight/flight.h"

namespace flightreplay::assets {

// The model to draw: `file` when it is non-empty and OpenSceneGraph reads it
// (an AC3D model or JPEG passes the model and JPEG checks first; a file that
// fails gets one line on standard error), else the installed model for
// `type`, else that model generated in memory. Never null; units are metres,
// nose along -x, top along +y, left wing along +z. The caller owns it.
osg::ref_ptr<osg::Node> loadVehicleModel(flight::VehicleType type, const std::string& file);

// The model's bounding radius in its own units (metres), 0 when it has none.
double modelRadius(const osg::Node& model);

// How far the chase camera's eye stays from a model of that bounding radius,
// in metres: 73 m for the trainer (bounding radius 0.76 m; the studio's
// chase today, 70 m behind and 22 m above), 5 m for the 40 cm quad
// (0.31 m), geometrically in between and in proportion to the radius
// beyond either; 73 m for a radius that is not positive.
double chaseDistanceFor(double radiusMetres);

} // namespace flightreplay::assets
