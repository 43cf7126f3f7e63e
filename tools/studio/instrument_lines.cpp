#include "tools/studio/instrument_lines.h"

#include <cmath>
#include <cstdio>

#include "log/units.h"
#include "tools/studio/display_values.h"

namespace flightreplay::studio {

namespace {

std::string valuesText(const char* format, const double* values, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += (i ? " " : "") + valueText(format, values[i]);
    return text;
}

} // namespace

std::string valueText(const char* format, double value)
{
    if (std::isnan(value))
        return MISSING_VALUE;
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::vector<std::string> instrumentLines(const flight::FlightSample& now, const flight::Flight& flight)
{
    const std::string heading = valueText("%05.1f\xC2\xB0", compassDegrees(logHeadingOfCompass(now.yaw)));
    const std::string roll = std::isnan(now.roll) ? MISSING_VALUE : rollText(logRollOfAerospace(now.roll));
    const bool moded = now.mode >= 0 && static_cast<size_t>(now.mode) < flight.modes.size();
    std::vector<std::string> lines = {
        "Ground speed  " + valueText("%5.1f", now.groundSpeed) + " m/s  (" + valueText("%.0f", now.groundSpeed * 3.6)
            + " km/h)",
        "Vertical speed " + valueText("%+5.1f", now.verticalSpeed) + " m/s",
        "Heading " + heading + "   Pitch " + valueText("%+5.1f\xC2\xB0", signedDegrees(now.pitch)),
        "Roll    " + roll,
        "Mode    " + (moded ? flight.modes[static_cast<size_t>(now.mode)].name : std::string(MISSING_VALUE)),
        "Battery " + valueText("%.2f", now.voltage) + " V  " + valueText("%.1f", now.current) + " A  "
            + valueText("%.0f", now.mah) + " mAh",
        "RC in   " + valuesText("%.0f", now.rcIn, 5),
        "Servos  " + valuesText("%.0f", now.servoOut, 4),
    };
    if (!flight.windSpeed.empty())
        lines.push_back("Wind    " + valueText("%.1f", now.windSpeed) + " m/s from "
                        + valueText("%03.0f\xC2\xB0", now.windDirection));
    return lines;
}

} // namespace flightreplay::studio
