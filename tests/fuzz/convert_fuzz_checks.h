#pragma once
// What every converted input must satisfy, whatever the bytes: streams in
// time order after tidying, rows within the limit, on a rising clock from 0,
// positions finite and on the globe, angles in range.

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>
#include <cstdio>
#include <cstdlib>

#include "log/units.h"
#include "tools/flight/flight.h"
#include "tools/convert/resample.h"
#include "tools/convert/waypoint_file.h"
#include "tools/flight/flight_tidy.h"
#include "tools/flight/plan_progress.h"
#include "tools/flight/plan_route.h"
#include "tools/flight/terrain_comparison.h"

inline void requireThat(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// The plan, whatever it holds (jumps to anywhere, items without a place,
// terrain frames over uneven ground): a route through at most a few passes
// over the items, legs within the path, the waypoints' text one line an
// item and home.
inline void checkPlan(const flightreplay::flight::Flight& data)
{
    using namespace flightreplay::flight;
    const ElevationLookup ground = [](double lat, double lon) -> std::optional<double> {
        if (lat > 0.0)
            return 100.0 + lon;
        return std::nullopt;
    };
    const PlanRoute route = planRoute(data, ground);
    requireThat(route.items.size() == data.plan.mission.size(), "a route item per mission item");
    requireThat(route.path.size() <= 16 * route.items.size() + 64, "a path bounded by the list's length");
    for (const int index : route.path)
        requireThat(index >= 0 && static_cast<size_t>(index) < route.items.size(), "path within the items");
    const std::vector<LegChange> logged = loggedLegs(data, route);
    const size_t probes = std::min<size_t>(data.position.size(), 8);
    for (size_t i = 0; i < probes && route.path.size() >= 2; ++i) {
        const Fix& fix = data.position[i * data.position.size() / probes];
        const int leg = legAt(route, logged, fix.t, fix.latDeg, fix.lonDeg);
        requireThat(leg >= -1 && leg < static_cast<int>(route.path.size()), "leg within the path");
        legDeviation(route, leg, fix.latDeg, fix.lonDeg, fix.altM);
    }
    const TerrainComparison terrain = compareTerrain(data, ground);
    requireThat(terrain.points.size() <= data.terrain.size(), "a terrain point per report at most");
    terrainLine(terrain, 0.0);
    const std::string waypoints = flightreplay::convert::waypointFileText(data);
    if (data.plan.mission.empty())
        return requireThat(waypoints.empty(), "no waypoints without a mission");
    const size_t lines = static_cast<size_t>(std::count(waypoints.begin(), waypoints.end(), '\n'));
    requireThat(lines >= data.plan.mission.size() + 1 && lines <= data.plan.mission.size() + 2,
                "the header, home and a line an item");
}

inline void checkConversion(flightreplay::flight::Flight data, size_t inputSize)
{
    using namespace flightreplay::convert;
    flightreplay::flight::tidyStreams(data);
    // Every sample comes from a message of at least a few bytes.
    requireThat(data.position.size() + data.attitude.size() <= inputSize, "no more samples than input bytes");
    // A note a kind of damage or assumption, each said once (the file's end,
    // damaged stretches, the clock, the mission's frames, incomplete lists...).
    requireThat(data.notes.size() <= 10, "a handful of notes");
    std::vector<std::string> notes = data.notes;
    std::sort(notes.begin(), notes.end());
    requireThat(std::adjacent_find(notes.begin(), notes.end()) == notes.end(), "each note once");
    checkPlan(data);
    if (data.position.empty())
        return;
    ResampleOptions options;
    options.maxRows = 300;
    options.rate = static_cast<double>(inputSize % 3) * 2.5;
    const LogRows rows = rowsOfFlight(data, options);
    requireThat(!rows.rows.empty() && rows.rows.size() <= 300, "1 to maxRows rows");
    requireThat(rows.rows[0].gps_time == 0.0, "time starts at 0");
    for (size_t i = 0; i < rows.rows.size(); ++i) {
        const LogRow& row = rows.rows[i];
        requireThat(std::isfinite(row.gps_time) && (i == 0 || row.gps_time >= rows.rows[i - 1].gps_time), "rising time");
        requireThat(std::fabs(row.gps_curlat) <= 90 * 60 && std::fabs(row.gps_curlon) <= 180 * 60 + 1e-6, "on the globe");
        requireThat(std::isfinite(row.gps_curalt), "finite altitude");
        requireThat(std::fabs(row.gps_curheading) <= MAP_PI + 1e-9 && std::fabs(row.pyro_curroll) <= MAP_PI + 1e-9,
                    "angles within pi");
    }
}
