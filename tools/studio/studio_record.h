#pragma once
// The studio's third way to run: the replay rendered into a video file.

#include "tools/studio/studio_options.h"

namespace flightreplay::studio {

// Records options.recordPath from --from to --to at --speed and --fps, at
// --size (1280 x 720 unless given), with the panels unless --no-panels.
// Returns 0 when the video is complete; throws tools::ToolError (one line)
// when it cannot be made. Ctrl-C ends the process by its signal, leaving
// no file under the video's name.
int runStudioRecording(const StudioOptions& options);

} // namespace flightreplay::studio
