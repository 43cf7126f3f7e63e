#pragma once
// The review of a flight as the logbook enters it.

#include "tools/book/book_entry.h"
#include "tools/flight/flight.h"

namespace flightreplay::book {

// Reviews the flight (review::reviewFlight, once) and puts its counts,
// findings (start and end in seconds from the first fix), largest vibration
// and notes ("review: ...") into row; a review that fails on bad input
// leaves the row without them (counts -1) and says so in its notes.
void addReview(FlightRow& row, const flight::Flight& flight);

} // namespace flightreplay::book
