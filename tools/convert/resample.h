#pragma once
// Turns the streams of a flight file into rows of the replay's log on one
// clock: each stream interpolated (angles the short way round) or held
// (counts and modes) at every row's time, in the replay's units and signs.

#include <cmath>
#include <string>
#include <vector>

#include "log/flight_log.h"
#include "tools/flight/flight.h"

namespace flightreplay::convert {

struct ResampleOptions {
    double rate = 0.0;  // rows per second; 0: one row per position fix
    double from = NAN;  // seconds from the first fix; NaN: from the first fix
    double to = NAN;    // seconds from the first fix; NaN: to the last fix
    int maxRows = MAX_LOG_ROWS; // more rows are thinned evenly in time to this many
};

struct LogRows {
    std::vector<LogRow> rows;
    std::vector<int> fieldCodes;    // the columns filled, in header order
    std::vector<std::string> notes; // e.g. that the rows were thinned
};

// The rows of a tidied flight (flight_tidy.h) with at least one position fix. Throws
// tools::ToolError when the range selects no time.
LogRows rowsOfFlight(const flight::Flight& data, const ResampleOptions& options);

} // namespace flightreplay::convert
