#pragma once
// The demo aircraft "EasyStar/data/body.ac": a small high-wing trainer with
// a pusher propeller behind the wing, in metres, written as an AC3D text
// file. Its axes suit the replay's attitude mapping: the nose points along
// -x, the top along +y and the left wing along +z.
//
// The replay draws the scene without lighting, so the shading is baked into
// the materials: each face takes a lighter or darker shade of its part's
// colour after the angle between its normal and a light from above.

#include <string>

namespace flightreplay::demo {

// Writes the model to path, renamed into place once whole; false when it
// cannot be written.
bool writeAircraftModel(const std::string& path);

} // namespace flightreplay::demo
