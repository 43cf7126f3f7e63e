#pragma once
// Attitude for a flight recorded as a track only (GPX, IGC, CSV without
// angles), worked out from the fixes as a coordinated flight would fly them.

#include "tools/flight/flight.h"

namespace flightreplay::readers {

// Fills what the file did not record, in Flight's aerospace angles:
// yaw is the course over ground, pitch the climb angle atan(climb/speed),
// roll the coordinated-turn bank atan(v·ω/g), positive in a right turn.
// The velocity at a fix is the chord from the fixes about 0.5 s before to
// 0.5 s after it (at least its neighbours); each quantity is then a local
// linear fit over a centred window of ±3 s of fixes (at least the neighbour
// on each side, at most 50 fixes each side), so GPS jitter does not flap the
// wings; below 1 m/s the heading is held and roll
// and pitch are 0; roll and pitch are clamped to ±60°.
// With no attitude stream, one sample per fix is added; with one, only its
// NaN angles are replaced (by the track's values at the sample's time) and
// every finite angle is kept. groundSpeed is filled from the track when
// empty. Sets attitudeDerived when any angle was derived.
void deriveAttitude(flight::Flight& data);

} // namespace flightreplay::readers
