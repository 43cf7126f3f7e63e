#pragma once
// The unit of a table's time column that nobody named, told from the
// values: seconds, milliseconds or microseconds, of a date or of a clock
// since boot, whichever spaces the rows at a log's usual pace.

#include <string>
#include <vector>

#include "tools/readers/csv_reader.h"

namespace flightreplay::readers {

struct TimeUnitGuess {
    TimeUnit unit;
    std::string said; // "microseconds since boot", "seconds since 1970", ...
};

// times: the column's numbers as written (any order, at least one). Each
// unit is tried as a date (the first value in 2000 to 2100 since 1970) and
// as a clock since boot, where the table spans at most two days: the one
// that puts the middle spacing of the rows nearest a fifth of a second wins,
// a date over a clock on a tie; seconds where none fits.
TimeUnitGuess guessTimeUnit(std::vector<double> times);

} // namespace flightreplay::readers
