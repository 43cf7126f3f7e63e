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
// modelOption is --model TYPE|FILE: a vehicle type's built-in model, or a
// file any OpenSceneGraph reader takes, in metres; both at their real size
// and never smaller on screen than a few tens of pixels. Without it the
// folder's model (the replay's "./EasyStar/data/body.ac") at the replay's
// size, else the built-in model of the flight's vehicle type, with a
// one-line note saying so in note (left alone otherwise). Throws
// tools::ToolError when the option names neither a type nor a readable file.
osg::ref_ptr<osg::Node> vehicleModelFor(const flight::Flight& flight, const std::string& modelOption,
                                        std::string& note);

// Metres behind the aircraft for the chase camera: the replay's 70 m for a
// model at the replay's size, else following the model's real size (5 m for
// a 40 cm quad); the map frame must be set up.
double chaseDistanceFor(const osg::Node* model);

// The folder's sky picture ("sky12q-1024x512.jpeg") when it can be read,
// else the installed one (or one drawn in memory) with a one-line note in note.
osg::ref_ptr<osg::Image> skyImageFor(std::string& note);

} // namespace flightreplay::studio
