#pragma once
// GPX 1.0 and 1.1 tracks, read through tinyxml2.

#include <string>

#include "tools/flight/flight.h"

namespace flightreplay::readers {

// The fixes of every trk/trkseg/trkpt, in time order, t in seconds since
// 1970 UTC (utcAtClockZero = 0); points without a time are dropped, unless
// none has one, when they are taken 1 s apart (and the clock is unknown).
// A missing ele repeats the last one (0 before any). Speed comes from a
// <speed> child or extension (m/s) where present; the gpx creator goes to
// `firmware`. Routes and waypoints are not a flight: a file with only
// rte/wpt returns no position. Throws tools::ToolError for XML that is not
// well-formed or whose root is not <gpx>.
flight::Flight readGpx(const std::string& bytes);

} // namespace flightreplay::readers
