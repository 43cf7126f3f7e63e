#pragma once
// The autopilot's idea of the ground against elevation data: its terrain
// reports beside the elevation under the same positions.

#include <string>
#include <vector>

#include "tools/flight/elevation_lookup.h"
#include "tools/flight/flight.h"

namespace flightreplay::flight {

// One terrain report with data (status 2).
struct TerrainPoint {
    double t;                   // flight clock, seconds
    double autopilotM;          // the autopilot's terrain height, m AMSL
    double elevationM;          // the elevation data's under the same position; NaN where there is none
    double autopilotAboveM;     // the vehicle's height above the autopilot's terrain
    double elevationAboveM;     // the vehicle's altitude (its fixes at t) above the elevation data; NaN without
};

struct TerrainComparison {
    size_t reports = 0;         // all terrain reports
    size_t withoutData = 0;     // disabled or waiting for data: counted, not compared
    size_t compared = 0;        // with data and elevation under them
    double medianM = NAN;       // autopilot minus elevation, over the compared reports
    double largestM = NAN;      // the difference of largest size, with its sign
    double largestAtT = NAN;    // flight clock of that report
    std::vector<TerrainPoint> points; // the reports with data, in time order
};

// The flight's terrain reports against ground (an empty lookup compares none).
TerrainComparison compareTerrain(const Flight& flight, const ElevationLookup& ground);

// The line the converter's listing and the studio's console print, times in
// seconds from zeroT (the first fix); empty for a flight without terrain
// reports:
//   terrain: N reports with data; autopilot minus elevation files: median M m, largest L m at T s
// or, without elevation under any of them, that there are no elevation
// files to compare with, or that no report has data.
std::string terrainLine(const TerrainComparison& comparison, double zeroT);

} // namespace flightreplay::flight
