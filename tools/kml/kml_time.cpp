#include "tools/kml/kml_time.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "tools/flight/civil_date.h"

namespace flightreplay::kml {

double utcAtClockZero(const flight::Flight& flight)
{
    if (std::isfinite(flight.utcAtClockZero))
        return flight.utcAtClockZero;
    const double firstFix = flight.position.empty() ? 0.0 : flight.position.front().t;
    return UNDATED_START_UTC - firstFix;
}

std::string isoUtc(double secondsSince1970)
{
    const int64_t millis = static_cast<int64_t>(std::llround(secondsSince1970 * 1000.0));
    int64_t days = millis / 86400000;
    int64_t ofDay = millis % 86400000;
    if (ofDay < 0) {
        ofDay += 86400000;
        --days;
    }
    const flight::CivilDate date = flight::civilFromDays(days);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02d.%03dZ", static_cast<long long>(date.year),
                  date.month, date.day, static_cast<int>(ofDay / 3600000), static_cast<int>(ofDay / 60000 % 60),
                  static_cast<int>(ofDay / 1000 % 60), static_cast<int>(ofDay % 1000));
    return text;
}

} // namespace flightreplay::kml
