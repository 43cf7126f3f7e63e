#include "tools/studio/plan_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace flightreplay::studio {

using namespace flight;

namespace {
// Seconds a terrain report stands for in the curves: longer gaps show as gaps.
constexpr double TERRAIN_REPORT_REACH = 5.0;
} // namespace

bool hasPlanToShow(const Flight& flight)
{
    return !flight.plan.empty() || std::isfinite(flight.plan.home.latDeg) || !flight.shots.empty()
           || !flight.terrain.empty();
}

FlightPlanView makePlanView(const FlightSampler& sampler, const ElevationLookup& ground)
{
    const Flight& flight = sampler.flight();
    FlightPlanView view;
    view.route = planRoute(flight, ground);
    view.loggedLegs = loggedLegs(flight, view.route);
    view.terrain = compareTerrain(flight, ground);
    const std::vector<TerrainPoint>& points = view.terrain.points;
    for (int i = 0; i < PLAN_CURVE_POINTS && !points.empty(); ++i) {
        const double t = sampler.clockAtStart() + sampler.duration() * i / (PLAN_CURVE_POINTS - 1);
        const auto after = std::upper_bound(points.begin(), points.end(), t,
                                            [](double time, const TerrainPoint& p) { return time < p.t; });
        const bool near = after != points.begin() && t - std::prev(after)->t <= TERRAIN_REPORT_REACH;
        const TerrainPoint none{t, NAN, NAN, NAN, NAN};
        const TerrainPoint& p = near ? *std::prev(after) : none;
        view.autopilotTerrain.push_back(static_cast<float>(p.autopilotM));
        view.elevationTerrain.push_back(static_cast<float>(p.elevationM));
        view.autopilotAbove.push_back(static_cast<float>(p.autopilotAboveM));
        view.elevationAbove.push_back(static_cast<float>(p.elevationAboveM));
    }
    if (view.route.path.size() < 2)
        return view;
    for (int i = 0; i < PLAN_CURVE_POINTS; ++i) {
        const double t = sampler.duration() * i / (PLAN_CURVE_POINTS - 1);
        const FlightSample s = sampler.sample(t);
        const int leg = legAt(view.route, view.loggedLegs, sampler.clockAtStart() + t, s.latitude, s.longitude);
        const LegDeviation d = legDeviation(view.route, leg, s.latitude, s.longitude, s.altitude);
        view.crossTrack.push_back(static_cast<float>(d.crossTrackM));
        view.heightError.push_back(static_cast<float>(d.heightErrorM));
    }
    return view;
}

void updatePlanView(FlightPlanView& view, const FlightSampler& sampler, const FlightSample& now)
{
    const double t = sampler.clockAtStart() + now.time;
    view.leg = view.route.path.size() < 2
                   ? -1
                   : legAt(view.route, view.loggedLegs, t, now.latitude, now.longitude);
    view.deviation = legDeviation(view.route, view.leg, now.latitude, now.longitude, now.altitude);
    const std::vector<TerrainReport>& reports = sampler.flight().terrain;
    const auto after = std::upper_bound(reports.begin(), reports.end(), t,
                                        [](double time, const TerrainReport& r) { return time < r.t; });
    view.autopilotAboveM = NAN;
    if (after != reports.begin() && std::prev(after)->status == 2)
        view.autopilotAboveM = std::prev(after)->heightAboveM;
}

std::string deviationText(const LegDeviation& d, bool circling)
{
    char text[96];
    if (std::isnan(d.crossTrackM))
        return "Cross-track -";
    const char* side = circling ? (d.crossTrackM >= 0.0 ? "out" : "in") : (d.crossTrackM >= 0.0 ? "R" : "L");
    if (std::isnan(d.heightErrorM))
        std::snprintf(text, sizeof text, "Cross-track %.1f m %s  height -", std::fabs(d.crossTrackM), side);
    else
        std::snprintf(text, sizeof text, "Cross-track %.1f m %s  height %+.1f m", std::fabs(d.crossTrackM), side,
                      d.heightErrorM);
    return text;
}

} // namespace flightreplay::studio
