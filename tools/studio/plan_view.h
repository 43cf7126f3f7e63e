#pragma once
// What the studio shows of a flight's plan, worked out once when the flight
// opens: the route, the legs the log says were flown, the terrain
// comparison and the curves of the deviation over the flight; and, as the
// clock runs, the leg flown and the vehicle's deviation from it.

#include <string>
#include <vector>

#include "tools/flight/elevation_lookup.h"
#include "tools/flight/flight_sampler.h"
#include "tools/flight/plan_progress.h"
#include "tools/flight/plan_route.h"
#include "tools/flight/terrain_comparison.h"

namespace flightreplay::studio {

// Points of the deviation curves over a flight's span.
constexpr int PLAN_CURVE_POINTS = 600;

struct FlightPlanView {
    flight::PlanRoute route;
    std::vector<flight::LegChange> loggedLegs;
    flight::TerrainComparison terrain;
    // At PLAN_CURVE_POINTS even steps over the flight's span: the deviation
    // (NaN off the route); the last terrain report with data within a few
    // seconds, its terrain by the autopilot and the elevation files and the
    // height above each (NaN where there is none).
    std::vector<float> crossTrack;
    std::vector<float> heightError;
    std::vector<float> autopilotTerrain;
    std::vector<float> elevationTerrain;
    std::vector<float> autopilotAbove;
    std::vector<float> elevationAbove;

    // At the clock's time, set by the overlay's update.
    int leg = -1;
    flight::LegDeviation deviation;
    double autopilotAboveM = NAN; // the last terrain report's height above the autopilot's terrain
    int pickedShot = -1;          // index into the flight's shots, after a click on one
};

// Whether the flight has anything the plan overlay shows: a plan, home,
// camera shots or terrain reports.
bool hasPlanToShow(const flight::Flight& flight);

// The view of a sampled flight's plan, heights above terrain and the terrain
// comparison from ground (empty: no elevation).
FlightPlanView makePlanView(const flight::FlightSampler& sampler, const flight::ElevationLookup& ground);

// Sets the leg, the deviation and the autopilot's height above its terrain
// for the flight at its sample now.
void updatePlanView(FlightPlanView& view, const flight::FlightSampler& sampler, const flight::FlightSample& now);

// "Cross-track 12.3 m R  height +4.2 m" for the panel: the side of the leg
// the vehicle is on (R right, L left; out or in of a loiter's circle), "-"
// for what is not known.
std::string deviationText(const flight::LegDeviation& deviation, bool circling);

} // namespace flightreplay::studio
