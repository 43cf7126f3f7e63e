#include "tools/book/book_query.h"

#include "tools/book/book_listing.h"
#include "tools/book/book_paths.h"
#include "tools/book/book_schema.h"

namespace flightreplay::book {

std::vector<BookFlight> flightsWhere(const std::string& bookPath, const std::string& where)
{
    const auto db = openBook(bookPath, OpenMode::readOnly);
    const std::string folder = bookFolder(bookPath);
    Statement flights(*db, "SELECT path, system_id FROM flights" + whereClause(where) +
                               " ORDER BY start_utc IS NULL, start_utc, path, system_id");
    std::vector<BookFlight> found;
    while (flights.step())
        found.push_back({pathOfKey(flights.text(0), folder), static_cast<int>(flights.integer(1))});
    return found;
}

} // namespace flightreplay::book
