#pragma once
// The studio's command line. Every option of the program is parsed here, so
// that the picture and video modes share one set of rules.

#include <string>

#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

struct StudioOptions {
    std::string logPath;
    std::string snapshotPath; // --snapshot OUT.png: one picture, no window
    bool timeGiven = false;
    double time = 0.0;        // --time T, seconds from the first row
    CameraMode camera = CameraMode::chase; // --camera NAME
    bool sizeGiven = false;
    int width = 1200;         // --size WxH, pixels
    int height = 750;
    TrackColouring colouring = TrackColouring::white; // --track white|altitude|speed
    bool panels = true;       // --no-panels hides them (snapshots have none unless --panels)
    bool panelsGiven = false;
    bool trace = false;       // --trace: the aircraft's transform on standard output
    std::string recordPath;   // --record OUT.mp4: a video, no window
    double from = 0.0;        // --from T, seconds from the first row
    double to = -1.0;         // --to T, seconds from the first row; negative for the end
    double speed = 1.0;       // --speed X, log seconds per video second
    int fps = 30;             // --fps N, video frames per second
    bool force = false;       // --force: replace an existing video
};

// The usage text, several lines, each ending in a newline.
const char* studioUsage();

// Reads argv[1 ...] into options. False with a one-line reason in error for
// an unknown option, a missing or bad value, or no log path.
bool parseStudioOptions(int argc, const char* const* argv, StudioOptions& options, std::string& error);

// Width and height of "WxH", each 16 ... 8192; false for anything else.
bool parseSize(const std::string& text, int& width, int& height);

} // namespace flightreplay::studio
