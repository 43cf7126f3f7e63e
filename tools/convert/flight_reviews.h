#pragma once
// --review, --review-json and --fields: what went wrong in a flight file, and
// what its log holds, for a person or a program.

#include <string>

#include "tools/readers/read_flight.h"
#include "tools/review/flight_review.h"

namespace flightreplay::convert {

// The reviews of the file's flights (every vehicle of a telemetry log) as
// one, in time order: where there are several, each finding and note starts
// with "system N: ".
review::Review reviewOfFlights(const std::vector<flight::Flight>& flights);

// Reads in, prints the review's table on standard output when table, writes
// its JSON to jsonOut when given (- for standard output; an existing file
// only with force). 0 whatever was found; throws tools::ToolError for a
// file that cannot be read or written.
int reviewFile(const std::string& in, const readers::ReadOptions& options, bool table, const std::string& jsonOut, bool force);

// Prints every field of the file's own messages, a line each: name, tab,
// unit (empty where the log gives none); with names, those fields' samples
// instead, a line each: name, seconds from the first fix, value. 0; throws
// as above, and for a name the file lacks.
int listFields(const std::string& in, const readers::ReadOptions& options, const std::vector<std::string>& names);

} // namespace flightreplay::convert
