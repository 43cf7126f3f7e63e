#include <algorithm>
#include <numeric>

#include "tools/kml/kml_parts.h"
#include "tools/kml/kml_time.h"

namespace flightreplay::kml {

namespace {

// A log can hold many thousands of messages; placemarks beyond this many
// would bury the track, so the most severe are kept.
constexpr size_t MAX_MESSAGE_MARKS = 1000;

const char* eventName(flight::FlightEventKind kind)
{
    switch (kind) {
    case flight::FlightEventKind::takeoff: return "Take-off";
    case flight::FlightEventKind::landing: return "Landing";
    case flight::FlightEventKind::armed: return "Armed";
    case flight::FlightEventKind::disarmed: return "Disarmed";
    case flight::FlightEventKind::linkLost: return "Link lost";
    case flight::FlightEventKind::missionCurrent:
    case flight::FlightEventKind::missionReached: break;
    }
    return nullptr;
}

const char* severityWord(int severity)
{
    static const char* const words[] = {"emergency", "alert", "critical", "error", "warning", "notice", "info", "debug"};
    return severity >= 0 && severity <= 7 ? words[severity] : "message";
}

void writeMark(tinyxml2::XMLPrinter& out, const FlightPart& part, double t, const std::string& name,
               const std::string& description, const char* style)
{
    const flight::Flight& flight = *part.source->flight;
    const flight::Fix at = positionAt(flight, t);
    out.OpenElement("Placemark");
    textElement(out, "name", name);
    textElement(out, "description",
                description + (description.empty() ? "" : "<br/>") + fixed(t - flight.position.front().t, 1) +
                    " s from the first fix, " + fixed(at.altM, 1) + " m above sea level");
    out.OpenElement("TimeStamp");
    textElement(out, "when", isoUtc(part.utcAtClockZero + t));
    out.CloseElement();
    textElement(out, "styleUrl", std::string("#") + style);
    out.OpenElement("Point");
    textElement(out, "altitudeMode", "absolute");
    textElement(out, "coordinates", coordinates(at.lonDeg, at.latDeg, at.altM, ','));
    out.CloseElement();
    out.CloseElement();
}

void writeEvents(tinyxml2::XMLPrinter& out, const FlightPart& part)
{
    for (const flight::FlightEvent& event : part.source->flight->events) {
        const char* name = eventName(event.kind);
        if (!name)
            continue;
        std::string description = event.logged ? "logged" : "found in the track";
        if (event.kind == flight::FlightEventKind::linkLost)
            description = "no packet for " + fixed(event.duration, 1) + " s";
        const char* style = event.kind == flight::FlightEventKind::takeoff   ? "takeoff"
                            : event.kind == flight::FlightEventKind::landing ? "landing"
                                                                              : "event";
        writeMark(out, part, event.t, name, description, style);
    }
}

void writeModeChanges(tinyxml2::XMLPrinter& out, const FlightPart& part)
{
    for (const flight::ModeChange& mode : part.source->flight->modes)
        writeMark(out, part, mode.t, mode.name, "flight mode " + mode.name, "mode-change");
}

void writeMessages(tinyxml2::XMLPrinter& out, const FlightPart& part)
{
    const std::vector<flight::FlightMessage>& messages = part.source->flight->messages;
    std::vector<size_t> order(messages.size());
    std::iota(order.begin(), order.end(), size_t{0});
    if (order.size() > MAX_MESSAGE_MARKS) {
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return messages[a].severity < messages[b].severity; });
        order.resize(MAX_MESSAGE_MARKS);
        std::sort(order.begin(), order.end());
    }
    for (size_t i : order) {
        const flight::FlightMessage& message = messages[i];
        writeMark(out, part, message.t, message.text, severityWord(message.severity),
                  message.severity <= 4 ? "warning" : "message");
    }
}

void openFolder(tinyxml2::XMLPrinter& out, const char* name, const std::string& description = "")
{
    out.OpenElement("Folder");
    textElement(out, "name", name);
    if (!description.empty())
        textElement(out, "description", description);
}

} // namespace

void writeMarks(tinyxml2::XMLPrinter& out, const FlightPart& part)
{
    const flight::Flight& flight = *part.source->flight;
    openFolder(out, "Events");
    writeEvents(out, part);
    out.CloseElement();
    if (!flight.modes.empty()) {
        openFolder(out, "Mode changes");
        writeModeChanges(out, part);
        out.CloseElement();
    }
    if (!flight.messages.empty()) {
        const size_t left = flight.messages.size() > MAX_MESSAGE_MARKS ? flight.messages.size() - MAX_MESSAGE_MARKS : 0;
        openFolder(out, "Messages",
                   left ? "The " + std::to_string(MAX_MESSAGE_MARKS) + " most severe of " +
                              std::to_string(flight.messages.size()) + " messages."
                        : std::string());
        writeMessages(out, part);
        out.CloseElement();
    }
}

} // namespace flightreplay::kml
