#pragma once
// The part of a flight the review judges: armed (from the arming events), in
// the air (take-off to landing, logged or inferred), and the steady middle
// of each airborne stretch.

#include "tools/review/review_context.h"

namespace flightreplay::review {

// Fills review.armed, airborne and steady from the flight's events; a log
// that tells neither arming nor take-off is judged whole, and says so.
void flightWindows(ReviewContext& review);

} // namespace flightreplay::review
