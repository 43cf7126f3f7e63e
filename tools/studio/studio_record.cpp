#include "tools/studio/studio_record.h"

#include <cstdio>
#include <memory>
#include <string>

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
    if (request.width % 2 || request.height % 2) {
        std::fprintf(stderr, "flightreplay-studio: --size %dx%d: a video needs an even width and height\n",
                     request.width, request.height);
        return 2;
    }

    StudioState state;
    StudioOptions start = options;
    start.time = options.from;
    initStudioState(state, start);
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
