#pragma once
// What a flight file holds, as --list prints it.

#include <string>

#include "tools/flight/elevation_lookup.h"
#include "tools/flight/flight.h"

namespace flightreplay::convert {

// Lines of text: format, firmware, vehicle, the systems a telemetry log
// heard (type, autopilot, packets, this flight's marked), duration, fixes and their
// source, each stream found with its time span (seconds from the first fix),
// whether the attitude was derived from the track, the plan (listPlan, with
// ground for the heights above terrain) and the reader's notes (what it
// repaired, assumed or skipped).
std::string listFlight(const flight::Flight& data, const flight::ElevationLookup& ground = {});

} // namespace flightreplay::convert
