#pragma once
// What the studio's parts share while it runs: the flights, the one clock,
// each aircraft at the clock's time and the user's choices. One instance
// lives for the whole run; the frame loop reads and writes it on one thread.

#include <memory>
#include <string>
#include <vector>

#include <osg/Vec4>

#include "tools/flight/flight.h"
#include "tools/flight/flight_sampler.h"
#include "tools/studio/flight_clock.h"
#include "tools/studio/flight_jobs.h"

namespace flightreplay::studio {

struct FlightPlanView;

using flight::FlightSample;
using flight::FlightSampler;

enum class CameraMode { chase, cockpit, orbit, free, top };
constexpr int CAMERA_MODE_COUNT = 5;

// "chase", "cockpit", "orbit", "free" or "top-down".
const char* cameraName(CameraMode mode);
// The mode of one of those names, or of "top"; false for any other text.
bool cameraFromName(const std::string& name, CameraMode& mode);

// field: the field of the log named by StudioState::trackField.
enum class TrackColouring { white, altitude, speed, mode, field };
constexpr int TRACK_COLOURING_COUNT = 5;

// The most fields the Plots panel draws at once.
constexpr size_t MAX_PLOTTED_FIELDS = 8;

enum class Alignment { utc, start, takeoff };

struct StudioFlight {
    std::string name;                        // the file's name, shown on its label
    std::unique_ptr<flight::Flight> flight;  // held once, read by the sampler
    std::unique_ptr<FlightSampler> sampler;
    osg::Vec4 colour{1, 1, 1, 1};            // track, label and plot lines
    double offset = 0.0;                     // clock seconds at which its first fix plays
    double chaseMetres = 70.0;               // chase camera distance for its model
    FlightSample now;                        // at the clock's time, set in each update traversal
    std::shared_ptr<FlightPlanView> plan;    // its plan as shown (plan_view.h); null without one
    std::unique_ptr<FlightJobs> jobs;        // its review and field reads; null for a flight made by hand
};

// Height of the ground the studio draws: the elevation files where the
// folder has them, else a flat ground whose height is estimated.
struct GroundInfo {
    bool known = true;         // real elevation under the flight
    double flatHeight = 0.0;   // metres above sea level of the flat ground, when not known
};

struct StudioState {
    std::vector<StudioFlight> flights;
    size_t selected = 0; // the flight the cameras follow and the Flight panel shows
    FlightClock clock;   // seconds over the union of the flights' spans
    FlightSample now;    // the selected flight's sample
    GroundInfo ground;
    CameraMode camera = CameraMode::chase;
    TrackColouring colouring = TrackColouring::white;
    std::string trackField;               // the field of TrackColouring::field; empty: none chosen
    std::vector<std::string> plotFields;  // the fields the Plots panel draws on one axis, at most MAX_PLOTTED_FIELDS
    bool ghost = false;          // flights other than the selected one translucent
    bool dropLines = true;       // a line from each aircraft down to the ground
    bool showPlan = true;        // the plans' overlay (plan_overlay.h)
    bool showPanels = true;
    bool trace = false;          // print the aircraft's transform after changes
    bool traceRequested = false; // print it after the next update traversal

    // Seconds from the first fix of flight i at the clock's time (may lie
    // outside its span).
    double flightTime(size_t i) const { return clock.time() - flights[i].offset; }
    const StudioFlight& selectedFlight() const { return flights[selected]; }
    // Shifts the offsets so the earliest flight starts at clock time 0 and
    // gives the clock the union of the spans, keeping the time where it can.
    void settleOffsets();
    // Samples every flight at the clock's time into its `now` and state.now.
    void sampleFlights();
    // The next colouring of the C key: white, altitude, speed, mode, then
    // the field where one is chosen.
    TrackColouring nextColouring() const;
    // Starts every flight's review unless started.
    void startReviews();
    // Blocks until the work started on every flight is done.
    void waitForJobs();
};

} // namespace flightreplay::studio
