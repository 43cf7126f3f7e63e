#pragma once
// The studio's ways to run once the options are read: the interactive window
// and the single picture. Both set up their viewer with setUpStudioViewer.

#include <memory>
#include <string>

#include <osgViewer/Viewer>

#include "tools/studio/offscreen_frame.h"

#include "tools/studio/studio_options.h"
#include "tools/studio/studio_panels.h"
#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

// A state for the options' flights (read, map frame set up, see
// loadStudioFlights): clock at options.time, camera and colouring as chosen.
// Throws tools::ToolError with one line.
void initStudioState(StudioState& state, const StudioOptions& options);

// Gives the viewer the studio's scene (one console line per kind of missing
// data), the camera rig, the keys and, with withPanels, the ImGui panels.
// state and panels must outlive the viewer. Throws tools::ToolError.
void setUpStudioViewer(osgViewer::Viewer& viewer, StudioState& state, StudioPanels& panels, bool withPanels,
                       const StudioOptions& options);

// An offscreen viewer of the studio for pictures and videos: the surface
// with the studio's scene, camera rig and keys, and (withPanels) the panels.
struct OffscreenStudio {
    std::unique_ptr<OffscreenFrame> frame;
    std::unique_ptr<StudioPanels> panels;
};

// Sets up studio.frame and studio.panels for the state (which must outlive
// them); false with a one-line reason in error when no surface can be made.
bool makeOffscreenStudio(StudioState& state, int width, int height, bool withPanels, const StudioOptions& options,
                         OffscreenStudio& studio, std::string& error);

// Starts what a picture or a video shows besides the flights: the reads of
// the field colouring the tracks and of the plotted fields, and with
// withPanels the reviews; they run while the scene is built.
void startPictureJobs(StudioState& state, bool withPanels);

// Opens the window and runs until Escape or until it is closed; returns the
// program's exit status (0). Throws tools::ToolError (one line) when the
// flights cannot be opened or no window can be.
int runStudioWindow(const StudioOptions& options);

// Draws the picture of options.snapshotPath; 0 when written. Throws
// tools::ToolError (one line) when it cannot be drawn or written.
int runStudioSnapshot(const StudioOptions& options);

} // namespace flightreplay::studio
