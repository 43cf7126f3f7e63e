#pragma once
// Readable names of the numbers autopilots log: PX4 navigation states,
// ArduPilot flight modes per vehicle, ArduPilot event ids and error
// subsystems. An unknown number reads as the number itself.

#include <string>

#include "tools/flight/flight.h"

namespace flightreplay::readers {

// PX4 vehicle_status nav_state: "Manual", "Position", "Mission", ...
std::string px4NavStateName(int navState);

// ArduPilot mode number of the vehicle: "FBWA", "Loiter", ...; the number
// as text when the vehicle or the number is unknown.
std::string ardupilotModeName(flight::VehicleKind vehicle, int mode);

// The vehicle a MAVLink MAV_TYPE names (ULog's system info, a telemetry
// log's heartbeat); unknown for the types that are not vehicles.
flight::VehicleKind vehicleKindOfMavType(int type);

// ArduPilot EV id: "Set home", "Fence enabled", ...; "event N" when unknown.
std::string ardupilotEventName(int id);

// ArduPilot ERR subsystem: "radio failsafe", "GPS", ...; "subsystem N" when
// unknown.
std::string ardupilotErrorSubsystem(int subsystem);

} // namespace flightreplay::readers
