#pragma once
// Readable names of the numbers autopilots log: PX4 navigation states,
// ArduPilot flight modes per vehicle, ArduPilot event ids and error
// subsystems. An unknown number reads as the number itself.

#include <cstdint>
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

// PX4's mode of a MAVLink HEARTBEAT custom_mode (main mode in bits 16-23,
// sub mode in bits 24-31): "Position", "Mission", "Return", ...; the
// numbers as text when unknown.
std::string px4CustomModeName(uint32_t customMode);

// Whether a MAVLink MAV_TYPE is a vehicle: not a ground station, antenna
// tracker, companion computer, gimbal, ADS-B receiver, camera or other
// payload.
bool isVehicleMavType(int type);

// "quadrotor", "ground station", ... of a MAV_TYPE; "type N" when unknown.
std::string mavTypeName(int type);

// "ArduPilot", "PX4", "none", ... of a MAV_AUTOPILOT; "autopilot N" when
// unknown.
std::string mavAutopilotName(int autopilot);

// ArduPilot EV id: "Set home", "Fence enabled", ...; "event N" when unknown.
std::string ardupilotEventName(int id);

// ArduPilot ERR subsystem: "radio failsafe", "GPS", ...; "subsystem N" when
// unknown.
std::string ardupilotErrorSubsystem(int subsystem);

} // namespace flightreplay::readers
