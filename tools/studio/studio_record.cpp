#include "tools/studio/studio_record.h"

#include <cstdio>
#include <memory>
#include <string>

#include "tools/common/tool_error.h"
#include "tools/studio/offscreen_frame.h"
#include "tools/studio/studio_app.h"
#include "tools/studio/video_recording.h"

namespace flightreplay::studio {

namespace {
constexpr int VIDEO_WIDTH = 1280;
constexpr int VIDEO_HEIGHT = 720;
} // namespace

int runStudioRecording(const StudioOptions& options)
{
    RecordRequest request;
    request.path = options.recordPath;
    request.from = options.from;
    request.to = options.to;
    request.speed = options.speed;
    request.fps = options.fps;
    request.width = options.sizeGiven ? options.width : VIDEO_WIDTH;
    request.height = options.sizeGiven ? options.height : VIDEO_HEIGHT;
    request.force = options.force;

    StudioState state;
    StudioOptions start = options;
    start.time = options.from;
    initStudioState(state, start);
    // Reasons not to start are given before the scene is built.
    try {
        request = checkRecordRequest(request, state.clock.duration());
    } catch (const tools::ToolError& failure) {
        std::fprintf(stderr, "flightreplay-studio: %s\n", failure.what());
        return 2;
    }
    std::string error;
    std::unique_ptr<OffscreenFrame> frame = OffscreenFrame::create(request.width, request.height, error);
    if (!frame) {
        std::fprintf(stderr, "flightreplay-studio: %s\n", error.c_str());
        return 2;
    }
    StudioPanels panels(state);
    setUpStudioViewer(frame->viewer(), state, panels, options.panels);
    frame->viewer().realize();
    return recordVideo(frame->viewer(), state, request);
}

} // namespace flightreplay::studio
