#pragma once
// The log's angles and times as a pilot reads them on the instruments.

#include <string>

namespace flightreplay::studio {

// Compass heading in degrees, clockwise from north, within [0, 360), of the
// log's heading in radians counter-clockwise from east.
double compassDegrees(double headingRadians);

// Degrees of an angle in radians, within (-180, 180], sign kept: roll
// positive left wing down, pitch positive nose up, as in the log.
double signedDegrees(double radians);

// "12.0° L" for a roll with the left wing down, "12.0° R" right wing down,
// "0.0°" level.
std::string rollText(double rollRadians);

// "2026-06-14 10:30:07 UTC" of seconds since 1970 (years 1970 to 9999);
// empty for NaN or out of range.
std::string utcTextOfEpoch(double seconds);

// "m:ss.s" (or "h:mm:ss.s" from an hour on) of seconds from the start.
std::string clockText(double seconds);

} // namespace flightreplay::studio
