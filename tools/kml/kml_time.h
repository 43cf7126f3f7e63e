#pragma once
// Time stamps of a flight in a Google Earth file. Google Earth's time slider
// needs dates, so a flight whose file gives none is put on a made-up day.

#include <string>

#include "tools/flight/flight.h"

namespace flightreplay::kml {

// The made-up date of a flight without UTC: its first fix at
// 2000-01-01T00:00:00Z, so such flights start together on the time slider.
constexpr double UNDATED_START_UTC = 946684800.0;

// Seconds since 1970 (UTC) at t = 0 of the flight's own clock: the file's
// UTC where known, else the made-up date at the first fix.
double utcAtClockZero(const flight::Flight& flight);

// "YYYY-MM-DDThh:mm:ss.sssZ", milliseconds rounded; for any UTC second count.
std::string isoUtc(double secondsSince1970);

} // namespace flightreplay::kml
