#include "tools/book/book_listing.h"

#include <cmath>
#include <cstdio>

#include "tools/common/number_text.h"

namespace flightreplay::book {

namespace {

// A figure of the listing, "-" where the book holds none.
std::string number(double value, const char* format)
{
    return tools::numberText(value, format, "-");
}

std::string totalsOf(Database& db, const std::string& where, const std::string& group, const std::string& heading)
{
    Statement totals(db, "SELECT " + group + " AS part, count(*), total(duration_s), total(distance_m) FROM flights" +
                             whereClause(where) + " GROUP BY part ORDER BY part IS NULL, part");
    std::string text = heading + "\n";
    char line[200];
    while (totals.step()) {
        const std::string part = totals.isNull(0) ? "undated" : totals.text(0);
        std::snprintf(line, sizeof line, "  %-14s %7lld flights  %10s h  %10.1f km\n", part.c_str(),
                      static_cast<long long>(totals.integer(1)), hoursText(totals.real(2)).c_str(),
                      totals.real(3) / 1000.0);
        text += line;
    }
    return text;
}

} // namespace

std::string whereClause(const std::string& where)
{
    return where.empty() ? "" : " WHERE (" + where + ")";
}

std::string hoursText(double seconds)
{
    if (!std::isfinite(seconds))
        return "-";
    const long long whole = std::llround(seconds);
    char text[40];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

std::string flightTotals(Database& db, const std::string& where)
{
    return totalsOf(db, where, "'all'", "totals:") + totalsOf(db, where, "vehicle", "per vehicle:") +
           totalsOf(db, where, "substr(start_utc, 1, 4)", "per year:");
}

std::string listFlights(Database& db, const std::string& where)
{
    Statement flights(db, "SELECT start_utc, vehicle, duration_s, distance_m, max_alt_m, failures, warnings, path, "
                          "system_id FROM flights" + whereClause(where) +
                              " ORDER BY start_utc IS NULL, start_utc, path, system_id");
    std::string text = "start                 vehicle       duration   distance    max alt  fail  warn  path\n";
    char line[400];
    while (flights.step()) {
        std::string start = flights.isNull(0) ? "undated" : flights.text(0);
        if (start.size() == 20 && start[10] == 'T')
            start = start.substr(0, 10) + " " + start.substr(11, 8);
        const std::string path = flights.text(7) + (flights.isNull(8) ? "" : " sys " + std::to_string(flights.integer(8)));
        std::snprintf(line, sizeof line, "%-20s  %-12s %9s  %9s  %9s  %4s  %4s  %s\n", start.c_str(),
                      flights.text(1).c_str(), hoursText(flights.real(2)).c_str(),
                      number(flights.real(3) / 1000.0, "%.2f km").c_str(), number(flights.real(4), "%.0f m").c_str(),
                      flights.isNull(5) ? "-" : std::to_string(flights.integer(5)).c_str(),
                      flights.isNull(6) ? "-" : std::to_string(flights.integer(6)).c_str(), path.c_str());
        text += line;
    }
    return text + flightTotals(db, where);
}

} // namespace flightreplay::book
