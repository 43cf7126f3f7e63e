#include "tools/book/book_page.h"

#include <cmath>
#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

#include "tools/book/book_listing.h"
#include "tools/common/html_text.h"

namespace flightreplay::book {

extern const std::pair<const char*, std::string_view> embeddedResources[];
extern const int embeddedResourceCount;

namespace {

std::string_view resource(const std::string& name)
{
    for (int i = 0; i < embeddedResourceCount; ++i)
        if (name == embeddedResources[i].first)
            return embeddedResources[i].second;
    return {};
}

nlohmann::json numberOrNull(const Statement& row, int column)
{
    const double value = row.real(column);
    return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json();
}

nlohmann::json flightsJson(Database& db, const std::string& where, const std::string& pagesFolder)
{
    Statement flights(db, "SELECT id, path, system_id, start_utc, vehicle, format, firmware, duration_s, distance_m, "
                          "max_alt_m, takeoff_lat, takeoff_lon, failures, warnings, max_vibration, battery_sag_v, track, "
                          "(SELECT group_concat(kind, ' ') FROM (SELECT DISTINCT kind FROM findings WHERE flight = id)) "
                          "FROM flights" + whereClause(where) + " ORDER BY start_utc IS NULL, start_utc, path, system_id");
    nlohmann::json list = nlohmann::json::array();
    while (flights.step()) {
        nlohmann::json f;
        f["path"] = flights.text(1);
        f["sys"] = flights.integer(2);
        f["start"] = flights.isNull(3) ? nlohmann::json() : nlohmann::json(flights.text(3));
        f["vehicle"] = flights.text(4);
        f["format"] = flights.text(5);
        f["firmware"] = flights.text(6);
        const char* numbers[] = {"duration", "distance", "maxAlt", "lat", "lon", "failures", "warnings", "vibration", "sag"};
        for (int i = 0; i < 9; ++i)
            f[numbers[i]] = numberOrNull(flights, 7 + i);
        f["track"] = nlohmann::json::parse(flights.text(16), nullptr, false);
        if (f["track"].is_discarded())
            f["track"] = nlohmann::json::array();
        f["findings"] = flights.text(17);
        f["page"] = pagesFolder.empty() ? "" : pagesFolder + "/" + flightPageName(flights.text(1));
        list.push_back(std::move(f));
    }
    return list;
}

} // namespace

std::string flightPageName(const std::string& key)
{
    std::string name = key;
    for (char& c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'))
            c = '_';
    return name + ".html";
}

std::string bookPage(Database& db, const std::string& title, const std::string& where,
                     const std::string& flightPagesFolder)
{
    nlohmann::json data;
    data["title"] = title;
    data["flights"] = flightsJson(db, where, flightPagesFolder);
    const std::string json =
        tools::scriptSafe(data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    const std::string escapedTitle = tools::htmlEscaped(title);
    return tools::filledTemplate(resource("book.html"), {
        {"{{TITLE}}", escapedTitle},
        {"/*{{STYLE}}*/", resource("book.css")},
        {"{{TITLE}}", escapedTitle},
        {"{{DATA}}", json},
        {"/*{{SCRIPT}}*/", resource("book.js")},
    });
}

} // namespace flightreplay::book
