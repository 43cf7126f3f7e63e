#include "tools/kml/kml_document.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "log/geography.h"
#include "tools/kml/kml_parts.h"
#include "tools/kml/kml_time.h"

namespace flightreplay::kml {

std::string xmlSafeText(const std::string& text)
{
    std::string safe;
    safe.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            safe += c < 0x20 && c != '\t' && c != '\n' && c != '\r' ? '?' : static_cast<char>(c);
            ++i;
            continue;
        }
        // The length a lead byte announces, and the least code point that
        // needs it (shorter forms are not UTF-8).
        const size_t length = c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3 : c >= 0xf0 && c <= 0xf4 ? 4 : 0;
        unsigned long code = length == 2 ? c & 0x1fu : length == 3 ? c & 0x0fu : c & 0x07u;
        bool valid = length > 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xc0u) == 0x80u;
            code = (code << 6) | (next & 0x3fu);
        }
        const unsigned long least = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0x80;
        valid = valid && code >= least && code <= 0x10ffff && !(code >= 0xd800 && code <= 0xdfff);
        if (valid) {
            safe.append(text, i, length);
            i += length;
        } else {
            safe += '?';
            ++i;
        }
    }
    return safe;
}

void textElement(tinyxml2::XMLPrinter& out, const char* name, const std::string& text)
{
    out.OpenElement(name);
    out.PushText(xmlSafeText(text).c_str());
    out.CloseElement();
}

std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string coordinates(double lonDeg, double latDeg, double altM, char separator)
{
    char text[96];
    std::snprintf(text, sizeof text, "%.7f%c%.7f%c%.2f", lonDeg, separator, latDeg, separator, altM);
    return text;
}

namespace {

int channel(float value)
{
    return static_cast<int>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

// Where Google Earth looks when the file opens: down on the first flight's
// take-off, far enough back to see the whole track.
void writeOpeningView(tinyxml2::XMLPrinter& out, const FlightPart& first)
{
    const TrackPoint& start = first.points.front();
    double farthest = 0.0;
    for (const TrackPoint& p : first.points)
        farthest = std::max(farthest, groundDistanceMetres(start.latDeg, start.lonDeg, p.latDeg, p.lonDeg));
    out.OpenElement("LookAt");
    textElement(out, "longitude", fixed(start.lonDeg, 7));
    textElement(out, "latitude", fixed(start.latDeg, 7));
    textElement(out, "altitude", fixed(start.altM, 1));
    textElement(out, "heading", "0");
    textElement(out, "tilt", "45");
    textElement(out, "range", fixed(std::max(300.0, 3.0 * farthest), 0));
    textElement(out, "altitudeMode", "absolute");
    out.CloseElement();
}

std::string documentDescription(const std::vector<FlightPart>& flights)
{
    std::string text =
        "Recorded flights from Flight Replay. Drag the time slider to move the vehicles along their tracks; "
        "play a flight's tour (under Places, in the flight's folder) to follow it from behind.";
    for (const FlightPart& f : flights)
        if (!f.dated) {
            text += " Flights whose file gives no date start at 2000-01-01 00:00:00 UTC.";
            break;
        }
    return text;
}

std::string flightDescription(const FlightPart& part)
{
    const flight::Flight& f = *part.source->flight;
    const double span = f.position.back().t - f.position.front().t;
    std::string text = "Read from the " + std::string(flight::formatTitle(f.format)) + " file";
    if (!f.firmware.empty())
        text += ", " + f.firmware;
    text += "; " + std::to_string(f.position.size()) + " fixes over " + fixed(span, 1) + " s";
    if (part.points.size() < f.position.size())
        text += ", " + std::to_string(part.points.size()) + " of them on the track (thinned evenly)";
    text += part.dated ? "; starts " + isoUtc(part.utcAtClockZero + f.position.front().t)
                       : "; the file gives no date: put on 2000-01-01";
    text += ".<br/>" + modeLegend(part);
    return text;
}

} // namespace

std::string kmlColour(const osg::Vec4& colour)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x", channel(colour.a()), channel(colour.b()), channel(colour.g()),
                  channel(colour.r()));
    return text;
}

std::string kmlDocument(const std::vector<KmlFlight>& flights)
{
    std::vector<FlightPart> parts;
    for (const KmlFlight& f : flights) {
        if (f.flight->position.empty())
            continue;
        parts.push_back({&f, static_cast<int>(parts.size()), trackPoints(*f.flight), utcAtClockZero(*f.flight),
                         std::isfinite(f.flight->utcAtClockZero)});
    }

    tinyxml2::XMLPrinter out;
    out.PushDeclaration("xml version=\"1.0\" encoding=\"UTF-8\"");
    out.OpenElement("kml");
    out.PushAttribute("xmlns", "http://www.opengis.net/kml/2.2");
    out.PushAttribute("xmlns:gx", "http://www.google.com/kml/ext/2.2");
    out.OpenElement("Document");
    std::string title;
    for (const FlightPart& f : parts)
        title += (title.empty() ? "" : ", ") + f.source->name;
    textElement(out, "name", title.empty() ? std::string("Flights") : title);
    textElement(out, "open", "1");
    textElement(out, "description", documentDescription(parts));
    if (!parts.empty())
        writeOpeningView(out, parts.front());
    writeStyles(out, parts);
    for (const FlightPart& part : parts) {
        out.OpenElement("Folder");
        textElement(out, "name", part.source->name);
        textElement(out, "open", "1");
        textElement(out, "description", flightDescription(part));
        writeTrack(out, part);
        writeModeSegments(out, part);
        writeMarks(out, part);
        writeReview(out, part);
        writeTour(out, part);
        out.CloseElement();
    }
    out.CloseElement();
    out.CloseElement();
    return std::string(out.CStr(), static_cast<size_t>(out.CStrSize() > 0 ? out.CStrSize() - 1 : 0));
}

} // namespace flightreplay::kml
