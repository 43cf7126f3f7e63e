#include <set>

#include "tools/flight/flight_events.h"
#include "tools/kml/kml_parts.h"
#include "tools/kml/kml_time.h"
#include "tools/review/severity_colours.h"

namespace flightreplay::kml {

namespace {

const osg::Vec4 NO_MODE_COLOUR(0.6f, 0.6f, 0.6f, 1.0f);
const osg::Vec4 SINGLE_FLIGHT_COLOUR(1.0f, 1.0f, 1.0f, 1.0f);
constexpr double SEGMENT_WIDTH = 3.0;

void lineStyle(tinyxml2::XMLPrinter& out, const std::string& id, const std::string& colour, double width)
{
    out.OpenElement("Style");
    out.PushAttribute("id", id.c_str());
    out.OpenElement("LineStyle");
    textElement(out, "color", colour);
    textElement(out, "width", fixed(width, 1));
    out.CloseElement();
    out.CloseElement();
}

void iconStyle(tinyxml2::XMLPrinter& out, const char* id, const osg::Vec4& colour)
{
    out.OpenElement("Style");
    out.PushAttribute("id", id);
    out.OpenElement("IconStyle");
    textElement(out, "color", kmlColour(colour));
    out.CloseElement();
    out.CloseElement();
}

int modeIndexAt(const flight::Flight& flight, double t)
{
    return flight.modes.empty() ? -1 : flight::modeAt(flight, t);
}

osg::Vec4 flightColour(const FlightPart& part, size_t flightCount)
{
    return flightCount == 1 ? SINGLE_FLIGHT_COLOUR : flight::modeColour(part.number);
}

std::string segmentName(const flight::Flight& flight, int modeIndex)
{
    if (flight.modes.empty())
        return "Track";
    return modeIndex < 0 ? std::string("Before the first mode") : flight.modes[static_cast<size_t>(modeIndex)].name;
}

} // namespace

std::string segmentStyle(const FlightPart& part, int modeIndex)
{
    const flight::Flight& flight = *part.source->flight;
    if (flight.modes.empty())
        return "flight-" + std::to_string(part.number);
    if (modeIndex < 0)
        return "no-mode";
    return "mode-" + std::to_string(flight::modeColourIndex(flight, flight.modes[static_cast<size_t>(modeIndex)].code));
}

void writeStyles(tinyxml2::XMLPrinter& out, const std::vector<FlightPart>& flights)
{
    // The timed track's own line is hidden: the coloured stretches draw it.
    out.OpenElement("Style");
    out.PushAttribute("id", "vehicle-track");
    out.OpenElement("LineStyle");
    textElement(out, "color", "00ffffff");
    textElement(out, "width", "0");
    out.CloseElement();
    out.CloseElement();
    lineStyle(out, "no-mode", kmlColour(NO_MODE_COLOUR), SEGMENT_WIDTH);
    std::set<int> palette;
    for (const FlightPart& part : flights) {
        const flight::Flight& flight = *part.source->flight;
        if (flight.modes.empty())
            lineStyle(out, "flight-" + std::to_string(part.number), kmlColour(flightColour(part, flights.size())),
                      SEGMENT_WIDTH);
        for (const flight::ModeChange& mode : flight.modes)
            palette.insert(flight::modeColourIndex(flight, mode.code));
    }
    for (int index : palette)
        lineStyle(out, "mode-" + std::to_string(index), kmlColour(flight::modeColour(index)), SEGMENT_WIDTH);
    iconStyle(out, "takeoff", osg::Vec4(0.2f, 0.9f, 0.2f, 1.0f));
    iconStyle(out, "landing", osg::Vec4(0.95f, 0.25f, 0.2f, 1.0f));
    iconStyle(out, "event", osg::Vec4(1.0f, 0.6f, 0.1f, 1.0f));
    iconStyle(out, "mode-change", osg::Vec4(0.3f, 0.7f, 1.0f, 1.0f));
    iconStyle(out, "message", osg::Vec4(1.0f, 1.0f, 0.4f, 1.0f));
    iconStyle(out, "warning", osg::Vec4(1.0f, 0.3f, 0.6f, 1.0f));
    iconStyle(out, "review-warning", review::severityOsgColour(review::Severity::warning));
    iconStyle(out, "review-failure", review::severityOsgColour(review::Severity::failure));
}

void writeTrack(tinyxml2::XMLPrinter& out, const FlightPart& part)
{
    out.OpenElement("Placemark");
    textElement(out, "name", part.source->name + ": the vehicle");
    textElement(out, "description", "The vehicle along the recorded track with its recorded attitude; "
                                    "drag the time slider to move it.");
    textElement(out, "styleUrl", "#vehicle-track");
    out.OpenElement("gx:Track");
    textElement(out, "altitudeMode", "absolute");
    for (const TrackPoint& p : part.points)
        textElement(out, "when", isoUtc(part.utcAtClockZero + p.t));
    for (const TrackPoint& p : part.points)
        textElement(out, "gx:coord", coordinates(p.lonDeg, p.latDeg, p.altM, ' '));
    for (const TrackPoint& p : part.points)
        textElement(out, "gx:angles",
                    fixed(p.angles.heading, 1) + " " + fixed(p.angles.tilt, 1) + " " + fixed(p.angles.roll, 1));
    if (!part.source->modelHref.empty()) {
        out.OpenElement("Model");
        out.OpenElement("Orientation");
        textElement(out, "heading", "0");
        textElement(out, "tilt", "0");
        textElement(out, "roll", "0");
        out.CloseElement();
        out.OpenElement("Scale");
        textElement(out, "x", "1");
        textElement(out, "y", "1");
        textElement(out, "z", "1");
        out.CloseElement();
        out.OpenElement("Link");
        textElement(out, "href", part.source->modelHref);
        out.CloseElement();
        out.CloseElement();
    }
    out.CloseElement();
    out.CloseElement();
}

void writeModeSegments(tinyxml2::XMLPrinter& out, const FlightPart& part)
{
    const flight::Flight& flight = *part.source->flight;
    const std::vector<TrackPoint>& points = part.points;
    out.OpenElement("Folder");
    textElement(out, "name", flight.modes.empty() ? "Track" : "Track by flight mode");
    size_t first = 0;
    while (first < points.size()) {
        const int mode = modeIndexAt(flight, points[first].t);
        size_t last = first + 1;
        while (last < points.size() && modeIndexAt(flight, points[last].t) == mode)
            ++last;
        // Each stretch ends on the first point of the next, so they join.
        const size_t end = std::min(last, points.size() - 1);
        out.OpenElement("Placemark");
        textElement(out, "name", segmentName(flight, mode));
        textElement(out, "description", fixed(points[first].t - points.front().t, 1) + " s to " +
                                            fixed(points[end].t - points.front().t, 1) + " s from the first fix");
        textElement(out, "styleUrl", "#" + segmentStyle(part, mode));
        out.OpenElement("LineString");
        textElement(out, "altitudeMode", "absolute");
        std::string text;
        text.reserve((end - first + 1) * 40);
        for (size_t i = first; i <= end; ++i) {
            text += coordinates(points[i].lonDeg, points[i].latDeg, points[i].altM, ',');
            text += i < end ? " " : "";
        }
        textElement(out, "coordinates", text);
        out.CloseElement();
        out.CloseElement();
        first = last;
    }
    out.CloseElement();
}

std::string modeLegend(const FlightPart& part)
{
    const flight::Flight& flight = *part.source->flight;
    if (flight.modes.empty())
        return "No flight modes in this log: the track is drawn in one colour.";
    std::string legend = "Track colours by flight mode:";
    std::set<int> shown;
    const bool before = !part.points.empty() && modeIndexAt(flight, part.points.front().t) < 0;
    if (before)
        legend += "<br/><font color=\"" + flight::htmlColour(NO_MODE_COLOUR) + "\">\u2588\u2588</font> before the first mode";
    for (const flight::ModeChange& mode : flight.modes) {
        if (!shown.insert(mode.code).second)
            continue;
        legend += "<br/><font color=\"" + flight::htmlColour(flight::modeColour(flight::modeColourIndex(flight, mode.code))) +
                  "\">\u2588\u2588</font> " + mode.name;
    }
    return legend;
}

} // namespace flightreplay::kml
