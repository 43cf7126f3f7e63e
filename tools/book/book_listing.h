#pragma once
// flightreplay-book --list and --totals: the book's flights as text.

#include <string>

#include "tools/book/sqlite_db.h"

namespace flightreplay::book {

// The flights matching where (an SQL condition on the flights table; empty
// for all), oldest first, undated last: one line each (start, vehicle,
// duration, distance, highest altitude, the review's failures and
// warnings, path), then the totals.
std::string listFlights(Database& db, const std::string& where);

// The totals of the flights matching where: all of them, per vehicle kind
// and per year (flights, flying time, distance).
std::string flightTotals(Database& db, const std::string& where);

// " WHERE (where)", or nothing for an empty condition.
std::string whereClause(const std::string& where);

// "h:mm:ss" of seconds, rounded to the second.
std::string hoursText(double seconds);

} // namespace flightreplay::book
