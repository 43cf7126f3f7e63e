#pragma once
// Calendar arithmetic the track readers share: civil dates and ISO 8601
// stamps to seconds since 1970-01-01T00:00:00Z, leap seconds ignored.

#include <cstdint>
#include <string_view>

#include "tools/flight/civil_date.h"

namespace flightreplay::readers {

using flight::daysFromCivil;

// Parses YYYY-MM-DD[T| ]hh:mm:ss[.fff][Z|+hh:mm|+hhmm|+hh] (no zone: UTC),
// surrounding blanks allowed. Returns false, leaving `epochSeconds` alone,
// for anything else or out-of-range fields.
bool parseIsoTime(std::string_view text, double& epochSeconds);

} // namespace flightreplay::readers
