#pragma once
// Lines on the studio's made-up ground, drawn by a shader from each
// fragment's ground position: 1 m, 10 m, 100 m and 1 km apart, east-west and
// north-south, a steady width in pixels at every distance. Each spacing
// fades out where its lines crowd closer than a few pixels on screen, so the
// ground near the aircraft always shows some and the far field stays calm.

#include <osg/StateSet>

namespace flightreplay::studio {

// Gives state the lines' shader program (GLSL 1.20, which both the X and the
// EGL contexts accept) for geometry in the scene frame; the map frame must
// be set up. The program draws the ground's whole colour: textures and
// vertex colours under it are ignored.
void drawGroundLines(osg::StateSet& state);

} // namespace flightreplay::studio
