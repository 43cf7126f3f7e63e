#include "tools/studio/studio_app.h"

#include <cstdio>

#include <osgViewer/ViewerEventHandlers>

#include "tools/common/tool_error.h"
#include "tools/studio/camera_rig.h"
#include "tools/studio/imgui_overlay.h"
#include "tools/studio/offscreen_frame.h"
#include "tools/studio/studio_flights.h"
#include "tools/studio/studio_keys.h"
#include "tools/studio/studio_scene.h"

namespace flightreplay::studio {

void initStudioState(StudioState& state, const StudioOptions& options)
{
    loadStudioFlights(state, options);
}

void setUpStudioViewer(osgViewer::Viewer& viewer, StudioState& state, StudioPanels& panels, bool withPanels,
                       const StudioOptions& options)
{
    viewer.setThreadingModel(osgViewer::Viewer::SingleThreaded);
    // Escape belongs to the studio's keys, which end the loop the same way.
    viewer.setKeyEventSetsDone(0);
    // The sky sphere sets the far plane; a model chased from a few metres
    // needs the near plane much closer than the default ratio puts it.
    viewer.getCamera()->setNearFarRatio(0.00002);
    viewer.setSceneData(buildStudioScene(state, options).root.get());
    viewer.setCameraManipulator(new CameraRig(state), false);
    viewer.addEventHandler(new StudioKeys(state));
    viewer.addEventHandler(new osgViewer::WindowSizeHandler);
    if (withPanels)
        attachImGuiOverlay(viewer, [&panels]() { panels.draw(); });
}

bool makeOffscreenStudio(StudioState& state, int width, int height, bool withPanels, const StudioOptions& options,
                         OffscreenStudio& studio, std::string& error)
{
    studio.frame = OffscreenFrame::create(width, height, error);
    if (!studio.frame)
        return false;
    studio.panels = std::make_unique<StudioPanels>(state);
    setUpStudioViewer(studio.frame->viewer(), state, *studio.panels, withPanels, options);
    return true;
}

void startPictureJobs(StudioState& state, bool withPanels)
{
    for (StudioFlight& f : state.flights) {
        if (!f.jobs)
            continue;
        if (state.colouring == TrackColouring::field && !state.trackField.empty())
            f.jobs->field(state.trackField);
        if (withPanels) {
            f.jobs->startReview();
            for (const std::string& name : state.plotFields)
                f.jobs->field(name);
        }
    }
}

int runStudioWindow(const StudioOptions& options)
{
    StudioState state;
    initStudioState(state, options);
    StudioPanels panels(state);
    osgViewer::Viewer viewer;
    viewer.setUpViewInWindow(40, 40, options.width, options.height);
    setUpStudioViewer(viewer, state, panels, options.panels, options);
    viewer.realize();
    if (!viewer.isRealized())
        throw tools::ToolError("cannot open a window on this display");
    viewer.run();
    return 0;
}

int runStudioSnapshot(const StudioOptions& options)
{
    StudioState state;
    initStudioState(state, options);
    if (options.time > state.clock.duration()) {
        char text[160];
        std::snprintf(text, sizeof text, "--time %g is past the end of the flight (%.1f s)", options.time,
                      state.clock.duration());
        throw tools::ToolError(text);
    }
    state.clock.setPaused(true);
    const bool withPanels = options.panelsGiven && options.panels;
    startPictureJobs(state, withPanels);
    OffscreenStudio studio;
    std::string error;
    if (!makeOffscreenStudio(state, options.width, options.height, withPanels, options, studio, error))
        throw tools::ToolError(error);
    // The review and the fields are in before ImGui lays out the panels
    // (in their first frame, shown from the second: a table drawn first in
    // the last frame would have no room for its columns); the tracks take
    // the field's colours in the next update traversal.
    state.waitForJobs();
    if (withPanels)
        studio.frame->render();
    osg::ref_ptr<osg::Image> picture = studio.frame->render();
    if (!writePicture(*picture, options.snapshotPath))
        throw tools::ToolError("cannot write '" + options.snapshotPath + "'");
    return 0;
}

} // namespace flightreplay::studio
