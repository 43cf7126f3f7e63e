#include "tools/common/number_text.h"
#include "tools/kml/kml_parts.h"
#include "tools/kml/kml_time.h"
#include "tools/kml/track_points.h"

namespace flightreplay::kml {

namespace {

std::string description(const review::Finding& f)
{
    const auto number = [](double value) { return tools::numberText(value, "%.4g", "?"); };
    const std::string unit = f.unit.empty() ? "" : " " + f.unit;
    std::string text = f.text + "<br/>" + review::severityWord(f.severity) + " (" + review::kindWord(f.kind) +
                       "): measured " + number(f.value) + unit + ", threshold " + number(f.threshold) + unit +
                       "<br/>" + fixed(f.start, 1) + " s";
    if (f.end > f.start)
        text += " to " + fixed(f.end, 1) + " s";
    return text + " from the first fix";
}

} // namespace

void writeReview(tinyxml2::XMLPrinter& out, const FlightPart& part)
{
    const review::Review* review = part.source->review;
    if (!review)
        return;
    const flight::Flight& flight = *part.source->flight;
    std::string notes = review->findings.empty() ? "No finding in the armed part in the air." : "";
    for (const std::string& note : review->notes)
        notes += (notes.empty() ? "" : "<br/>") + ("Note: " + note);
    out.OpenElement("Folder");
    textElement(out, "name", "Review");
    if (!notes.empty())
        textElement(out, "description", notes);
    for (const review::Finding& f : review->findings) {
        const double t = flight.position.front().t + f.start;
        const flight::Fix at = positionAt(flight, t);
        out.OpenElement("Placemark");
        textElement(out, "name", std::string(review::severityWord(f.severity)) + ": " + review::kindWord(f.kind));
        textElement(out, "description", description(f));
        out.OpenElement("TimeStamp");
        textElement(out, "when", isoUtc(part.utcAtClockZero + t));
        out.CloseElement();
        textElement(out, "styleUrl", f.severity == review::Severity::failure ? "#review-failure" : "#review-warning");
        out.OpenElement("Point");
        textElement(out, "altitudeMode", "absolute");
        textElement(out, "coordinates", coordinates(at.lonDeg, at.latDeg, at.altM, ','));
        out.CloseElement();
        out.CloseElement();
    }
    out.CloseElement();
}

} // namespace flightreplay::kml
