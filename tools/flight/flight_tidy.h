#pragma once
// A flight's streams put in order, as every user of the model expects them.

#include "tools/flight/flight.h"

namespace flightreplay::flight {

// Sorts every timed stream by time (stable: equal times keep the reader's
// order) and drops the samples whose time is not finite.
void tidyStreams(Flight& data);

} // namespace flightreplay::flight
