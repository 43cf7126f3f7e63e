#pragma once
// The kind of vehicle a flight is, as far as the model drawn for it goes.

#include <string>

#include "tools/flight/flight.h"

namespace flightreplay::assets {

// From the vehicle the reader reported (rovers, boats and submarines are
// ground vehicles); a flight without one is a glider when it comes from an
// IGC logger, the trainer when it is the replay's own log, else unknown.
flight::VehicleType vehicleTypeOf(const flight::Flight& flight);

// "fixed-wing", "multicopter", "helicopter", "glider", "vtol", "ground" or
// "generic" (unknown); a static string.
const char* vehicleTypeName(flight::VehicleType type);

// The type a word names: one of vehicleTypeName's words or quad, plane,
// paraglider, rover or boat, in any case; false and `type` untouched when
// the word names none.
bool parseVehicleType(const std::string& word, flight::VehicleType& type);

} // namespace flightreplay::assets
