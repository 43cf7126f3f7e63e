#include "tools/flight/flight_summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "log/geography.h"
#include "tools/flight/civil_date.h"
#include "tools/flight/flight_events.h"

namespace flightreplay::flight {

namespace {

constexpr double LAST_UTC = 32503680000.0; // 3000-01-01
constexpr double RESTING_VOLTAGE_SECONDS = 60.0;
// Below this a voltage series holds no battery's reading but a missing one.
constexpr double NO_BATTERY_VOLTS = 0.5;

bool civilParts(double utc, int64_t& year, int& month, int& day, int& secondOfDay)
{
    if (!(utc >= 0.0 && utc < LAST_UTC))
        return false;
    const int64_t seconds = static_cast<int64_t>(std::floor(utc));
    const CivilDate date = civilFromDays(seconds / 86400);
    year = date.year;
    month = date.month;
    day = date.day;
    secondOfDay = static_cast<int>(seconds % 86400);
    return true;
}

std::string formatted(double utc, const char* pattern)
{
    int64_t year = 0;
    int month = 0, day = 0, second = 0;
    if (!civilParts(utc, year, month, day, second))
        return {};
    char text[40];
    std::snprintf(text, sizeof text, pattern, static_cast<long long>(year), month, day, second / 3600,
                  second / 60 % 60, second % 60);
    return text;
}

Fix fixAt(const std::vector<Fix>& fixes, double t)
{
    const auto after = std::lower_bound(fixes.begin(), fixes.end(), t, [](const Fix& f, double v) { return f.t < v; });
    return after == fixes.end() ? fixes.back() : *after;
}

// A battery rests before take-off: its highest voltage early in the log is
// the full one, and the lowest later on is how far the load pulled it.
double batterySag(const Series& voltage)
{
    double first = NAN, rested = -INFINITY, lowest = INFINITY;
    for (const Sample& s : voltage) {
        if (!(s.value > NO_BATTERY_VOLTS) || !std::isfinite(s.value))
            continue;
        if (std::isnan(first))
            first = s.t;
        if (s.t - first <= RESTING_VOLTAGE_SECONDS)
            rested = std::max(rested, s.value);
        lowest = std::min(lowest, s.value);
    }
    return std::isnan(first) ? NAN : rested - lowest;
}

} // namespace

std::string utcText(double utc)
{
    const std::string text = formatted(utc, "%04lld-%02d-%02d %02d:%02d:%02d UTC");
    return text.empty() ? "?" : text;
}

std::string isoUtcText(double utc)
{
    return formatted(utc, "%04lld-%02d-%02dT%02d:%02d:%02dZ");
}

FlightSummary summariseFlight(const Flight& flight)
{
    FlightSummary summary;
    summary.batterySagV = batterySag(flight.voltage);
    const std::vector<Fix>& fixes = flight.position;
    summary.fixes = fixes.size();
    if (fixes.empty())
        return summary;
    summary.durationS = fixes.back().t - fixes.front().t;
    if (std::isfinite(flight.utcAtClockZero))
        summary.startUtc = flight.utcAtClockZero + fixes.front().t;
    summary.maxAltM = -INFINITY;
    for (size_t i = 0; i < fixes.size(); ++i) {
        if (std::isfinite(fixes[i].altM))
            summary.maxAltM = std::max(summary.maxAltM, fixes[i].altM);
        if (i > 0)
            summary.distanceM += groundDistanceMetres(fixes[i - 1].latDeg, fixes[i - 1].lonDeg, fixes[i].latDeg,
                                                      fixes[i].lonDeg);
    }
    if (!std::isfinite(summary.maxAltM))
        summary.maxAltM = NAN;
    const double takeoff = takeoffTime(flight);
    const Fix place = std::isfinite(takeoff) ? fixAt(fixes, takeoff) : fixes.front();
    summary.takeoffLat = place.latDeg;
    summary.takeoffLon = place.lonDeg;
    return summary;
}

std::string missingPosition(const Flight& data)
{
    switch (data.format) {
    case FlightFormat::ulog:
        return "no usable position: no fix in vehicle_global_position, vehicle_gps_position or sensor_gps, "
               "and no vehicle_local_position with a global reference";
    case FlightFormat::dataflash: return "no usable position: no GPS message with a 3-D fix and no POS message";
    case FlightFormat::gpx: return "no usable position: no trkpt in a trk (routes and waypoints are not a flight)";
    case FlightFormat::igc: return "no usable position: no B record with a fix";
    case FlightFormat::tlog:
        return data.systemId == 0 ? "no vehicle: no system sent the heartbeat of a vehicle with an autopilot"
                                  : "no usable position: no GLOBAL_POSITION_INT away from 0, 0 and no GPS_RAW_INT with a 3-D fix";
    case FlightFormat::csv:
        return "no usable position: no row with latitude and longitude (columns lat/latitude and lon/lng/longitude, "
               "or --column lat=FIELD)";
    default: return "no usable position";
    }
}

} // namespace flightreplay::flight
