#pragma once
// The unit of a table's time column that nobody named, told from the
// values: an epoch date in seconds, milliseconds or microseconds, else a
// clock since boot whose rows come at a log's usual pace.

#include <string>
#include <vector>

#include "tools/convert/csv_reader.h"

namespace flightreplay::convert {

struct TimeUnitGuess {
    TimeUnit unit;
    std::string said; // "microseconds since boot", "seconds since 1970", ...
};

// times: the column's numbers as written (any order, at least one). A
// value in 2000 to 2100 as seconds, milliseconds or microseconds since 1970
// is an epoch time in that unit; otherwise the unit is the one that puts the
// middle spacing of the rows nearest a fifth of a second while the whole
// table spans at most two days (seconds where nothing else fits).
TimeUnitGuess guessTimeUnit(std::vector<double> times);

} // namespace flightreplay::convert
