#pragma once
// The plan flight of plan_flight.h as a ground station records it (.tlog):
// the mission, fence and rally points uploaded by type, home, the fixes,
// the item flown and reached, terrain reports and camera feedback.

#include "plan_flight.h"

namespace reader_test {

// The vehicle (system 1, an ArduPilot plane) from the station's stamp
// 2026-06-14 10:00:00 UTC, its boot clock then at 0 s; before the flight an
// upload that broke off (with sendEarlierLists), then the mission (item 0
// home), the fence (mission type 1) and the rally points (type 2).
// Terrain reports without data have blocks pending.
PlanFlightLog writePlanTelemetry(const PlanFlight& plan);

// The plane of arduPlaneWithoutMission as a station hears it: the station
// downloads its list of count items (home a waypoint at 0, 0, the rest
// command 0 at 0, 0) while the plane reports flying to item 0; 20 fixes
// 0.2 s apart at 47 N 9 E.
std::string arduPlaneTelemetryWithoutMission(uint16_t count);

} // namespace reader_test
