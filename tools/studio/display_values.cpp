#include "tools/studio/display_values.h"

#include <cmath>
#include <cstdio>

#include "log/units.h"
#include "tools/flight/civil_date.h"

namespace flightreplay::studio {

double compassDegrees(double headingRadians)
{
    double degrees = std::fmod(90.0 - headingRadians * DEGREES_PER_RADIAN, 360.0);
    if (degrees < 0.0)
        degrees += 360.0;
    // A heading a rounding error west of north is north, not 359.99999.
    return degrees > 360.0 - 1e-9 ? 0.0 : degrees;
}

double signedDegrees(double radians)
{
    double degrees = std::remainder(radians * DEGREES_PER_RADIAN, 360.0);
    if (degrees <= -180.0)
        degrees += 360.0;
    return degrees;
}

std::string rollText(double rollRadians)
{
    const double degrees = signedDegrees(rollRadians);
    char text[32];
    if (std::fabs(degrees) < 0.05)
        std::snprintf(text, sizeof text, "0.0\xC2\xB0");
    else
        std::snprintf(text, sizeof text, "%.1f\xC2\xB0 %c", std::fabs(degrees), degrees > 0.0 ? 'L' : 'R');
    return text;
}

std::string utcTextOfEpoch(double seconds)
{
    if (!(seconds >= 0.0 && seconds < 253402300800.0))
        return {};
    const auto whole = static_cast<int64_t>(std::floor(seconds));
    const int64_t days = whole / 86400;
    const int64_t secondOfDay = whole % 86400;
    const flight::CivilDate date = flight::civilFromDays(days);
    char text[96];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld UTC", static_cast<long long>(date.year),
                  static_cast<long long>(date.month), static_cast<long long>(date.day), static_cast<long long>(secondOfDay / 3600),
                  static_cast<long long>(secondOfDay / 60 % 60), static_cast<long long>(secondOfDay % 60));
    return text;
}

std::string clockText(double seconds)
{
    if (!(seconds > 0.0))
        seconds = 0.0;
    const auto tenths = static_cast<long long>(std::floor(seconds * 10.0 + 0.5));
    const long long wholeSeconds = tenths / 10;
    char text[48];
    if (wholeSeconds >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%lld", wholeSeconds / 3600, wholeSeconds / 60 % 60,
                      wholeSeconds % 60, tenths % 10);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld.%lld", wholeSeconds / 60, wholeSeconds % 60, tenths % 10);
    return text;
}

} // namespace flightreplay::studio
