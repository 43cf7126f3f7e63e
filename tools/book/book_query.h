#pragma once
// Flights chosen from a logbook by an SQL condition, for the programs that
// open them (the studio's --book).

#include <string>
#include <vector>

namespace flightreplay::book {

struct BookFlight {
    std::string path; // opens the log from the working directory
    int systemId = 0; // the vehicle of a ground station's log; 0 for other formats
};

// The flights of the book at bookPath matching where (an SQL condition on
// the flights table; empty for all), oldest first. Throws tools::ToolError
// with one line for a book that cannot be opened (see openBook) and a
// condition SQLite refuses.
std::vector<BookFlight> flightsWhere(const std::string& bookPath, const std::string& where);

} // namespace flightreplay::book
