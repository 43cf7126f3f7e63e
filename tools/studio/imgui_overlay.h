#pragma once
// Dear ImGui inside an OSG window: the window's mouse events go to ImGui
// (and stop there when ImGui wants them), and ImGui draws after the scene
// through the OpenGL 2 backend. One overlay per process, on one camera.

#include <functional>

#include <osgViewer/Viewer>

namespace flightreplay::studio {

// Creates the ImGui context and hooks it into the viewer: an event handler
// placed before the viewer's other handlers and camera manipulator, and the
// post-draw callback of the viewer's camera, which calls panels() between
// ImGui's new frame and its render on the drawing thread. The viewer keeps
// both hooks; the context lives until the process ends.
void attachImGuiOverlay(osgViewer::Viewer& viewer, std::function<void()> panels);

} // namespace flightreplay::studio
