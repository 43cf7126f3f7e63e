#pragma once
// The mission as a route in space: each item's place and height above sea
// level as resolved from its frame, and the path the vehicle was planned to
// fly through the navigation items.

#include <vector>

#include "log/geography.h"
#include "tools/flight/elevation_lookup.h"
#include "tools/flight/flight.h"

namespace flightreplay::flight {

// One mission item where it lies.
struct RouteItem {
    MissionItem item;
    bool placed = false;      // a navigation item: it has a place (its own or the one it inherits)
    double latDeg = 0.0;      // its place: its own, the item's before it for a take-off, landing or
    double lonDeg = 0.0;      // loiter without one, home for a return
    double altAmsl = NAN;     // metres above sea level; NaN where unresolved
    bool resolved = false;    // altAmsl known (a terrain frame needs the elevation under the place)
};

struct PlanRoute {
    Fix home = {NAN, NAN, NAN, NAN};
    bool homeAssumed = false;  // the plan knows no home: the first fix stands in
    bool firstItemIsHome = false; // item 0 is home (ArduPilot's missions)
    std::vector<RouteItem> items; // one per mission item, in the plan's order
    // Indices into items of the navigation items in the order planned to be
    // flown from home (item 0 where it is home), each do-jump followed once.
    std::vector<int> path;
    // Per path point k, the DO_ items (indices into items) done on the leg
    // that ends there (k = 0: before the first point; the last point also
    // takes those after it).
    std::vector<std::vector<int>> legActions;
    // Path points in metres east and north of home.
    std::vector<LocalOffset> pathMetres;
};

// Whether item 0 of the flight's mission is home: ArduPilot's missions
// (every format but ULog and a firmware that names itself PX4).
bool missionStartsWithHome(const Flight& flight);

// The route of the flight's mission. Heights: frames 0/5 as given, 3/6
// above home (the plan's home, else item 0 where it is home, else the first
// fix, marked homeAssumed), 10/11 above the ground that ground gives under
// the item's place (unresolved where it gives none). A return flies to
// home at the height of the item before it.
PlanRoute planRoute(const Flight& flight, const ElevationLookup& ground);

// The height to draw an item at: its resolved height, else (a terrain frame
// without elevation) its altitude above home.
double drawnAltitude(const PlanRoute& route, const RouteItem& item);

} // namespace flightreplay::flight
