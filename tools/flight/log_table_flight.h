#pragma once
// The replay's own log read into the flight model, through the replay's
// scanner and its table, so that the companion programs read it exactly as
// the replay does (the table's 10,000 rows included).

#include <cstdio>
#include <string>

#include "tools/flight/flight.h"

namespace flightreplay::flight {

// True when the first line of head is a header of the replay's keywords
// (separated by commas or blanks, optionally quoted) naming at least
// gps_curlat and gps_curlon, and nothing else.
bool looksLikeReplayLog(const std::string& head);

// The data rows of the flight log table as a flight of format "log": one fix
// per row (minutes of arc to degrees), the attitude turned from the log's
// heading and roll conventions into aerospace ones, each optional column
// the header names as a series, ap_status changes as modes. Time is gps_time
// in seconds when it rises strictly from every row to the next, else 5 rows
// per second; gps_date with gps_time as seconds of the day gives the UTC.
Flight flightOfLogTable();

// Scans the log into the table (the scanner's echo to the console report)
// and returns flightOfLogTable().
Flight readReplayLog(std::FILE* log);

} // namespace flightreplay::flight
