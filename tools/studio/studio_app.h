#pragma once
// The studio's two ways to run once the log is read: the interactive window
// and the single picture. Both set up their viewer with setUpStudioViewer.

#include <memory>
#include <string>

#include <osgViewer/Viewer>

#include "tools/studio/offscreen_frame.h"

#include "tools/studio/studio_options.h"
#include "tools/studio/studio_panels.h"
#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

// A state for the flight log table (read, map frame set up) and the options:
// clock at options.time, camera and colouring as chosen.
void initStudioState(StudioState& state, const StudioOptions& options);

// Gives the viewer the studio's scene (builders' console lines on standard
// output), the camera rig, the keys and, with withPanels, the ImGui panels.
// state and panels must outlive the viewer.
void setUpStudioViewer(osgViewer::Viewer& viewer, StudioState& state, StudioPanels& panels, bool withPanels);

// An offscreen viewer of the studio for pictures and videos: the surface
// with the studio's scene, camera rig and keys, and (withPanels) the panels.
struct OffscreenStudio {
    std::unique_ptr<OffscreenFrame> frame;
    std::unique_ptr<StudioPanels> panels;
};

// Sets up studio.frame and studio.panels for the state (which must outlive
// them); false with a one-line reason in error when no surface can be made.
bool makeOffscreenStudio(StudioState& state, int width, int height, bool withPanels, OffscreenStudio& studio,
                         std::string& error);

// Opens the window and runs until Escape or until it is closed; returns the
// program's exit status (0).
int runStudioWindow(const StudioOptions& options);

// Draws the picture of options.snapshotPath; 0 when written, 2 with one line
// on standard error otherwise.
int runStudioSnapshot(const StudioOptions& options);

} // namespace flightreplay::studio
