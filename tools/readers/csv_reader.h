#pragma once
// Comma-separated tables of a flight: one header row naming the columns,
// one sample per row.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/flight/flight.h"

namespace flightreplay::readers {

enum class AngleUnit { Degrees, Radians };
enum class TimeUnit { Seconds, Milliseconds, Microseconds, Iso };

struct CsvOptions {
    AngleUnit angles = AngleUnit::Degrees;
    // Unset: told from the column's values, and said in a note.
    std::optional<TimeUnit> time;
    // Stream NAME read from header field FIELD, over the names found by
    // themselves. NAME is one of csvStreamNames().
    std::vector<std::pair<std::string, std::string>> columns;
};

// lat lon alt time heading roll pitch speed voltage current mah satellites
// baro_alt airspeed rc1 ... rc5 servo1 ... servo4, in that order.
const std::vector<std::string>& csvStreamNames();

// "deg"/"rad", "s"/"ms"/"us"/"iso", "NAME=FIELD": the converter's options.
// Throw tools::ToolError naming what is accepted.
AngleUnit parseAngleUnit(const std::string& text);
TimeUnit parseTimeUnit(const std::string& text);
std::pair<std::string, std::string> parseColumnOption(const std::string& text);

// The rows of a table separated by commas, semicolons or tabs (whichever the
// header row has most of), fields optionally quoted with "" for a quote;
// with ';' or tab a decimal comma is accepted. Columns are found by stream
// name or a common alias, case-insensitive, a unit in brackets after the name
// ignored: latitude, lng/long/longitude, altitude/ele/elevation, timestamp,
// yaw, groundspeed, volt/vbat, sats. Latitude and longitude in degrees,
// altitude and baro_alt in metres, speeds in m/s (a negative one is skipped),
// pulse widths in µs; heading clockwise from north, roll positive right wing
// down, pitch nose up, in `angles`. Times in `time` units (with seconds or
// none given, an ISO stamp is recognised too; with none given, the unit of
// numbers is told by guessTimeUnit and named in a note); ISO stamps, and seconds past the year 2000,
// are taken as UTC (utcAtClockZero = 0). Rows are put in time order; with no
// time column they are taken 1 s apart. Angle columns give an attitude
// sample per row, NaN where the column is missing or the cell empty, for
// deriveAttitude to fill. Throws tools::ToolError with no header row, or a
// column option naming an unknown stream or a field not in the header.
flight::Flight readCsv(const std::string& bytes, const CsvOptions& options);

} // namespace flightreplay::readers
