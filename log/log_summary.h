#pragma once
// What the replay tells about the log it has read, before the map frame is
// set up from it.

#include "log/log_reader.h"

// Prints the column map and the latitude, longitude and time extents of the
// data rows through the console report, reports on standard error how many
// data lines did not fit into the table, and returns the extents (minutes of
// arc).
LogExtents printLogSummary();
