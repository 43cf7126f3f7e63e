#pragma once
// What a flight file holds, as --list prints it.

#include <string>

#include "tools/convert/flight_data.h"

namespace flightreplay::convert {

// Lines of text: format, firmware, vehicle, duration, fixes and their
// source, each stream found with its time span (seconds from the first fix),
// and whether the attitude was derived from the track.
std::string listFlight(const FlightData& data);

// One line naming what the file lacks for a position, by format.
std::string missingPosition(const FlightData& data);

} // namespace flightreplay::convert
