#pragma once
// Readable names of the numbers autopilots log: PX4 navigation states,
// ArduPilot flight modes per vehicle, ArduPilot event ids and error
// subsystems. An unknown number reads as the number itself.

#include <string>

namespace flightreplay::convert {

// PX4 vehicle_status nav_state: "Manual", "Position", "Mission", ...
std::string px4NavStateName(int navState);

// ArduPilot mode number of the vehicle ("fixed-wing", "multicopter",
// "helicopter", "rover", "boat", "submarine", as the DataFlash reader tells
// it): "FBWA", "Loiter", ...; the number as text when the vehicle or the
// number is unknown.
std::string ardupilotModeName(const std::string& vehicle, int mode);

// ArduPilot EV id: "Set home", "Fence enabled", ...; "event N" when unknown.
std::string ardupilotEventName(int id);

// ArduPilot ERR subsystem: "radio failsafe", "GPS", ...; "subsystem N" when
// unknown.
std::string ardupilotErrorSubsystem(int subsystem);

} // namespace flightreplay::convert
