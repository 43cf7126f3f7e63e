#include "tools/studio/studio_record.h"

#include <string>

#include "tools/common/tool_error.h"
#include "tools/studio/offscreen_frame.h"
#include "tools/studio/studio_app.h"
#include "tools/video/video_recording.h"

namespace flightreplay::studio {

using video::RecordRequest;

namespace {
constexpr int VIDEO_WIDTH = 1280;
constexpr int VIDEO_HEIGHT = 720;
} // namespace

int runStudioRecording(const StudioOptions& options)
{
    RecordRequest request;
    request.video.path = options.recordPath;
    request.video.width = options.sizeGiven ? options.width : VIDEO_WIDTH;
    request.video.height = options.sizeGiven ? options.height : VIDEO_HEIGHT;
    request.video.fps = options.fps;
    request.video.force = options.force;
    request.from = options.from;
    request.to = options.to;
    request.speed = options.speed;

    StudioState state;
    StudioOptions start = options;
    start.time = options.from;
    initStudioState(state, start);
    // Reasons not to start are given before the scene is built.
    request = video::checkRecordRequest(request, state.clock.duration());
    startPictureJobs(state, options.panels);
    std::string error;
    OffscreenStudio studio;
    if (!makeOffscreenStudio(state, request.video.width, request.video.height, options.panels, options, studio, error))
        throw tools::ToolError(error);
    osgViewer::Viewer& viewer = studio.frame->viewer();
    viewer.realize();
    state.clock.setPaused(true);
    // The video shows the review and the fields from its first frame.
    state.waitForJobs();
    return video::recordVideo(
        viewer, state.clock.duration(), [&state](double seconds) { state.clock.seek(seconds); }, request,
        "flightreplay-studio");
}

} // namespace flightreplay::studio
