#include "tools/convert/flight_listing.h"

#include <cmath>
#include <cstdio>

#include "tools/convert/plan_listing.h"
#include "tools/flight/flight_summary.h"
#include "tools/readers/autopilot_names.h"

namespace flightreplay::convert {

using namespace flight;

namespace {

template <typename T>
void addSpan(std::string& text, const char* name, const std::vector<T>& samples, double zero)
{
    if (samples.empty())
        return;
    char line[160];
    std::snprintf(line, sizeof line, "  %-16s %9.3f s to %9.3f s, %zu samples\n", name, samples.front().t - zero,
                  samples.back().t - zero, samples.size());
    text += line;
}

} // namespace

std::string listFlight(const Flight& data, const ElevationLookup& ground)
{
    std::string text = std::string("format:   ") + formatTitle(data.format) + "\n";
    text += "firmware: " + (data.firmware.empty() ? std::string("unknown") : data.firmware) + "\n";
    text += std::string("vehicle:  ") + vehicleKindName(data.vehicle) + "\n";
    char line[200];
    if (!data.linkSystems.empty()) {
        text += "systems:  " + std::to_string(data.linkSystems.size()) + " heard\n";
        for (const LinkSystem& system : data.linkSystems) {
            const std::string type = system.type < 0 ? "no heartbeat" : readers::mavTypeName(system.type);
            const std::string pilot = system.autopilot < 0 ? "" : ", " + readers::mavAutopilotName(system.autopilot);
            std::snprintf(line, sizeof line, "  system %3d  %s%s, %llu packets%s\n", system.id, type.c_str(), pilot.c_str(),
                          static_cast<unsigned long long>(system.packets), system.id == data.systemId ? " (this flight)" : "");
            text += line;
        }
    }
    double zero = 0.0;
    if (!data.position.empty()) {
        zero = data.position.front().t;
        std::snprintf(line, sizeof line, "duration: %.3f s\nfixes:    %zu from %s\n", summariseFlight(data).durationS,
                      data.position.size(), data.positionSource.empty() ? "the track" : data.positionSource.c_str());
        text += line;
        if (std::isfinite(data.utcAtClockZero))
            text += "start:    " + flight::utcText(data.utcAtClockZero + zero) + "\n";
        text += "streams (seconds from the first fix):\n";
    } else {
        text += "fixes:    0\nstreams (seconds on the file's clock):\n";
    }
    addSpan(text, "position", data.position, zero);
    addSpan(text, "attitude", data.attitude, zero);
    addSpan(text, "ground speed", data.groundSpeed, zero);
    addSpan(text, "satellites", data.satellites, zero);
    addSpan(text, "fix mode", data.fixMode, zero);
    addSpan(text, "battery voltage", data.voltage, zero);
    addSpan(text, "battery current", data.current, zero);
    addSpan(text, "battery mAh", data.mah, zero);
    addSpan(text, "airspeed", data.airspeed, zero);
    addSpan(text, "baro altitude", data.baroAlt, zero);
    addSpan(text, "wind", data.windSpeed, zero);
    for (size_t i = 0; i < data.rcIn.size(); ++i)
        addSpan(text, ("RC in " + std::to_string(i + 1)).c_str(), data.rcIn[i], zero);
    for (size_t i = 0; i < data.servoOut.size(); ++i)
        addSpan(text, ("servo out " + std::to_string(i + 1)).c_str(), data.servoOut[i], zero);
    if (data.attitudeDerived)
        text += "attitude derived from the track\n";
    std::snprintf(line, sizeof line, "modes: %zu, messages: %zu, events: %zu\n", data.modes.size(),
                  data.messages.size(), data.events.size());
    text += line;
    for (const ModeChange& mode : data.modes) {
        std::snprintf(line, sizeof line, "  %9.3f s  %s\n", mode.t - zero, mode.name.c_str());
        text += line;
    }
    text += listPlan(data, ground, zero);
    for (const std::string& note : data.notes)
        text += "note:     " + note + "\n";
    return text;
}

} // namespace flightreplay::convert
