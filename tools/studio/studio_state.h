#pragma once
// What the studio's parts share while it runs: the flight, the clock, the
// aircraft at the clock's time and the user's choices. One instance lives
// for the whole run; the frame loop reads and writes it on one thread.

#include <string>

#include "tools/studio/flight_clock.h"
#include "tools/studio/flight_timeline.h"

namespace flightreplay::studio {

enum class CameraMode { chase, cockpit, orbit, free, top };
constexpr int CAMERA_MODE_COUNT = 5;

// "chase", "cockpit", "orbit", "free" or "top".
const char* cameraName(CameraMode mode);
// The mode of one of those names; false for any other text.
bool cameraFromName(const std::string& name, CameraMode& mode);

enum class TrackColouring { white, altitude, speed };

struct StudioState {
    FlightTimeline timeline;
    FlightClock clock;
    FlightSample now; // the aircraft at clock.time(), set in each update traversal
    CameraMode camera = CameraMode::chase;
    TrackColouring colouring = TrackColouring::white;
    bool showPanels = true;
    bool trace = false;          // print the aircraft's transform after changes
    bool traceRequested = false; // print it after the next update traversal
};

} // namespace flightreplay::studio
