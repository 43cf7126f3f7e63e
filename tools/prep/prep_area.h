#pragma once
// The area to prepare: the map frame the replay will compute from a log, or
// one made from a latitude/longitude box, set up through the replay's own
// setupMapFrame (which prints its two lines on standard output).

#include <string>
#include <vector>

#include "frame/grid_geography.h"
#include "log/log_reader.h"

#include "tools/flight/flight.h"

namespace flightreplay::prep {

struct GeoBox {
    double south; // degrees
    double west;
    double north;
    double east;
};

// Sets up the frame from the union of the flights' extents, as the studio
// does for several flights in one scene. Each path is the replay's own log,
// or any log the converter reads, taken as the rows it would write by
// default. Throws tools::ToolError for an unreadable log or one without
// positions. Returns the kind of vehicle the first flight was flown with
// (the replay's trainer for its own log); the union of the extents of their
// plans (flight::planExtent) into planArea when given.
flight::VehicleType setupFrameFromFlights(const std::vector<std::string>& paths, LogExtents* planArea = nullptr);

// The extents (minutes of arc) of one flight, read as above (of all the
// vehicles of a ground station's log together); its kind of vehicle (the
// first vehicle's) into vehicle and its plans' extents into plan when given.
LogExtents flightExtents(const std::string& path, flight::VehicleType* vehicle = nullptr, LogExtents* plan = nullptr);

// The elevation files to prepare: those the terrain patch around the map
// frame's centre reads, and those under planArea (minutes of arc; none with
// its start values): a mission can reach beyond where the vehicle flew, and
// its heights above terrain need the ground there. Sorted by row then
// column, each once.
std::vector<ElevationFileIndex> elevationFilesToPrepare(const LogExtents& planArea);

// Sets up the frame from the box, its extents taken in minutes of arc.
void setupFrameFromBox(const GeoBox& box);

// Parses "S,W,N,E" in degrees; throws tools::ToolError unless south <= north,
// west <= east and every value is a finite number.
GeoBox parseGeoBox(const std::string& text);

} // namespace flightreplay::prep
