#pragma once
// The figures of a whole flight that listings and the logbook share: how
// long it lasted, when it began, how far and how high it went, where it
// took off and how far its battery sagged.

#include <string>

#include "tools/flight/flight.h"

namespace flightreplay::flight {

struct FlightSummary {
    double durationS = NAN;   // first fix to last, seconds; NaN without fixes
    double startUtc = NAN;    // seconds since 1970 at the first fix; NaN without a date
    size_t fixes = 0;
    double distanceM = 0;     // along the track over the ground (great circle fix to fix), metres
    double maxAltM = NAN;     // highest fix, metres above mean sea level
    double takeoffLat = NAN;  // WGS84 degrees at the first take-off (else the first fix)
    double takeoffLon = NAN;
    double batterySagV = NAN; // highest voltage of the first minute less the lowest after it, volts
};

// The summary of a tidied flight (fixes in time order).
FlightSummary summariseFlight(const Flight& flight);

// One line naming what the file of a flight without fixes lacks for a
// position, by format.
std::string missingPosition(const Flight& data);

// "YYYY-MM-DD HH:MM:SS UTC" of seconds since 1970 (whole seconds, leap
// seconds ignored); "?" outside the years 1970 to 2999 or for NaN.
std::string utcText(double utc);

// The same moment in ISO 8601, "YYYY-MM-DDTHH:MM:SSZ"; empty where utcText
// gives "?".
std::string isoUtcText(double utc);

} // namespace flightreplay::flight
