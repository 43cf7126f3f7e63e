#pragma once
// The demo flight: a model trainer takes off from the runway, climbs in
// left-hand circuits, flies circuits and figure eights, glides down in
// circuits with the motor off and lands where it started, logged at 5 Hz.
//
// Every manoeuvre after the take-off run is a loop of exactly 1500 m (500
// rows) through the middle of the runway, so rows 500 apart are at the same
// point with the same heading; the replay's jumps from row 2500 to 4500 and
// from 7000 to 8000 pass unseen.
//
// Angles follow the replay's mapping of the model: heading counter-clockwise
// from east (atan2 of north over east), roll positive with the left wing
// down (into a left turn), pitch positive nose up; all radians.

#include <vector>

#include "log/flight_log.h"

namespace flightreplay::demo {

constexpr int DEMO_ROW_COUNT = 9700;
constexpr double DEMO_LOG_INTERVAL = 0.2; // seconds per row
// Height of the model's reference point over the airfield's ground quads
// while it sits on the grass: the zoom-18 lift plus the scaled belly depth.
constexpr double GROUND_CLEARANCE = 2.9;

// All rows of the demo log, every field filled.
std::vector<LogRow> planDemoFlight();

} // namespace flightreplay::demo
