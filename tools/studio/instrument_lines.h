#pragma once
// The Flight panel's values as text. A value the flight lacks, or has not
// recorded yet (NaN in its sample), reads as an em dash, never as a zero.

#include <string>
#include <vector>

#include "tools/flight/flight.h"
#include "tools/flight/flight_sampler.h"

namespace flightreplay::studio {

// U+2014 in UTF-8; the panels' font carries it (panel_font.h).
constexpr const char* MISSING_VALUE = "\xE2\x80\x94";

// value through a printf format taking one double, or MISSING_VALUE for NaN.
std::string valueText(const char* format, double value);

// The lines under the altitude, in order: ground speed (m/s and km/h),
// vertical speed, compass heading and pitch, roll with its side, the flight
// mode, battery volts, amps and mAh, the five RC inputs and the four servo
// outputs (microseconds); then the wind (speed, and the compass direction it
// blows from) where the flight has it. flight is the one sampled: it names
// the modes.
std::vector<std::string> instrumentLines(const flight::FlightSample& now, const flight::Flight& flight);

} // namespace flightreplay::studio
