#pragma once
// A replay rendered into a video: frames at fixed steps of log time, drawn
// offscreen, read back and handed to the encoder, so that a slow machine
// makes the same video as a fast one, only later.

#include <cstdint>
#include <functional>
#include <string>

#include <osgViewer/Viewer>

#include "tools/video/frame_sink.h"
#include "tools/video/video_encoder.h"

namespace flightreplay::video {

struct RecordRequest {
    VideoSettings video; // the file, picture size, frame rate and --force
    double from = 0.0;   // seconds from the first row
    double to = -1.0;    // seconds from the first row; negative for the end of the flight
    double speed = 1.0;  // log seconds per video second
};

// Frames of a recording from `from` to `to` (seconds of log time): one every
// speed / fps seconds, the first at `from`; at least one.
int64_t recordingFrameCount(double from, double to, double speed, int fps);

// Log time of frame index of such a recording, in seconds from the first row.
double recordingFrameTime(double from, double speed, int fps, int64_t index);

// The request with `to` resolved against a flight of duration seconds.
// Throws ToolError for a stretch outside the flight, a speed or frame rate
// that is not positive, and whatever would keep the video from starting
// (see checkVideoSettings).
RecordRequest checkRecordRequest(const RecordRequest& request, double duration);

// Puts the scene at a moment of the log (seconds from the first row) for
// the next frame; the scene's own clock must stand still between calls.
using SeekFunction = std::function<void(double seconds)>;

// Renders frames 0 ... count - 1 of the request through viewer into sink,
// calling frameDone after each, while keepGoing() holds (checked before each
// frame). Returns the frames rendered. Throws ToolError when a picture cannot
// be read back or the sink fails.
int64_t renderFrames(osgViewer::Viewer& viewer, const SeekFunction& seek, const RecordRequest& request, int64_t count,
                     FrameSink& sink, const std::function<bool()>& keepGoing,
                     const std::function<void()>& frameDone);

// Records the request through viewer, which must be realized and draw
// request.video.width x height pixels offscreen, of a flight of duration
// seconds, seek setting the scene for every frame. Progress goes to standard
// error. Returns 0 for a finished video; throws ToolError when the video
// cannot be made (for the program's main to report). Ctrl-C (SIGINT) or
// SIGTERM ends the recording, removes the partial file, says so in a line
// "program: recording interrupted; ..." and ends the process by that signal.
int recordVideo(osgViewer::Viewer& viewer, double duration, const SeekFunction& seek, const RecordRequest& request,
                const char* program);

} // namespace flightreplay::video
