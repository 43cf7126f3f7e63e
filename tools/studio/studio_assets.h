#pragma once
// The one place that chooses what a flight looks like: the vehicle model
// drawn for it, how far the chase camera stays from that model, and the
// sky picture. Every choice of model or sky the studio makes goes through
// these hooks.

#include <string>

#include <osg/Image>
#include <osg/Node>

#include "tools/flight/flight.h"

namespace flightreplay::studio {

// The model for a flight, in the replay's model axes (nose along -x, top
// along +y) and scene units, ready to go under the aircraft's transform.
// modelOption is --model TYPE|FILE (empty: the choice is the studio's): a
// readable file is drawn at the replay's aircraft size; otherwise the
// folder's model (the replay's "./EasyStar/data/body.ac"), else a generated
// stand-in, with a one-line note saying so in note (left alone otherwise).
// Throws tools::ToolError when a given model file cannot be read.
osg::ref_ptr<osg::Node> vehicleModelFor(const flight::Flight& flight, const std::string& modelOption,
                                        std::string& note);

// Metres behind the aircraft for the chase camera, growing with the model's
// bounding radius (70 m for the replay's 12 m aircraft); the map frame must
// be set up.
double chaseDistanceFor(const osg::Node* model);

// The folder's sky picture ("sky12q-1024x512.jpeg") when it can be read,
// else the demo's sky generated in memory with a one-line note in note.
osg::ref_ptr<osg::Image> skyImageFor(std::string& note);

} // namespace flightreplay::studio
