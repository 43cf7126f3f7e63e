#pragma once
// What the streams of a flight tell beyond the log's own words: take-off and
// landing found in the track, the replay log's status column as modes, and
// the colours modes are drawn in.

#include <string>
#include <vector>

#include <osg/Vec4>

#include "tools/flight/flight.h"

namespace flightreplay::flight {

// Adds a take-off and a landing (logged = false) where the events hold none:
// take-off at the start of the first climb of 3 m above the take-off height,
// or ground speed above 6 m/s, held 3 s, searched from the first arming (else
// from the first fix); landing where the flight last comes down to within
// 5 m of the take-off height and stays there below 2 m/s until the end of
// the track (at least 2 s) or a disarming. Nothing for ground and water
// vehicles or a flight that never leaves the ground. Keeps events in time order.
void inferFlightEvents(Flight& flight);

// The file-clock time of the flight's first take-off event, logged or
// inferred: the T mark of the studio's timeline. NaN when it has none.
double takeoffTime(const Flight& flight);

// The replay log's ap_status column (time in seconds, status number) as
// modes at each change, named by the number.
std::vector<ModeChange> modesFromApStatus(const Series& apStatus);

// Index into flight.modes of the mode flown at t (seconds on the file's
// clock); -1 before the first mode change.
int modeAt(const Flight& flight, double t);

// Colour number modeIndex of the modes' palette: distinct, readable on dark
// and light ground, opaque; repeats after 20.
osg::Vec4 modeColour(int modeIndex);

// A colour as HTML writes it, "#rrggbb", for the exports' legends and pages.
std::string htmlColour(const osg::Vec4& colour);

// The palette index of a mode code in the flight: its rank among the
// distinct codes of flight.modes, so that one code keeps one colour in the
// bands, the track and the legend. 0 for a code the flight lacks.
int modeColourIndex(const Flight& flight, int code);

} // namespace flightreplay::flight
