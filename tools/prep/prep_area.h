#pragma once
// The area to prepare: the map frame the replay will compute from a log, or
// one made from a latitude/longitude box, set up through the replay's own
// setupMapFrame (which prints its two lines on standard output).

#include <string>

namespace flightreplay::prep {

struct GeoBox {
    double south; // degrees
    double west;
    double north;
    double east;
};

// Reads the log and sets up the frame from its extents as the replay does.
// Throws tools::ToolError for an unreadable log or one without positions.
void setupFrameFromLog(const std::string& logPath);

// Sets up the frame from the box, its extents taken in minutes of arc.
void setupFrameFromBox(const GeoBox& box);

// Parses "S,W,N,E" in degrees; throws tools::ToolError unless south <= north,
// west <= east and every value is a finite number.
GeoBox parseGeoBox(const std::string& text);

} // namespace flightreplay::prep
