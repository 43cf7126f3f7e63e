#pragma once
// The studio's keys: space play/pause, [ ] speed, arrows seek 5 s (with
// shift 60 s), Home/End, L loop, 1-5 cameras, C track colouring, G drop
// lines, M the plan's overlay, Tab panels, Escape quits; with several flights
// a click on an aircraft or its label selects that flight.

#include <osgGA/GUIEventHandler>

#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

// The flight whose aircraft (or label, just above it) lies within radius
// pixels of window point (x, y) under worldToWindow, the nearest such; -1
// when none does or the point lies behind the camera.
int flightAtWindowPoint(const StudioState& state, const osg::Matrixd& worldToWindow, double x, double y,
                        double radius);

class StudioKeys : public osgGA::GUIEventHandler {
public:
    // The state must outlive the handler.
    explicit StudioKeys(StudioState& state) : state_(state) {}

    // Acts on a key press or click not already taken by the panels; Escape
    // ends the viewer's frame loop. With tracing on, every key asks for a
    // trace line.
    bool handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) override;

private:
    StudioState& state_;
};

} // namespace flightreplay::studio
