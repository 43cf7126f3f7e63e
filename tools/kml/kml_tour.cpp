#include <algorithm>
#include <cmath>

#include "tools/kml/kml_parts.h"
#include "tools/kml/kml_time.h"

namespace flightreplay::kml {

namespace {

// One view a second of the tour; a flight longer than MAX_TOUR_SECONDS is
// played faster, so that no tour lasts longer.
constexpr double TOUR_STEP_SECONDS = 1.0;
constexpr double MAX_TOUR_SECONDS = 600.0;
constexpr double FIRST_FLIGHT_SECONDS = 3.0;
// The studio's chase camera: 70 m behind and 22 m above the trainer, so
// the eye looks down 17.5 degrees (KML's tilt counts from straight down).
constexpr double CHASE_TILT_DEGREES = 72.5;

void writeFlyTo(tinyxml2::XMLPrinter& out, const FlightPart& part, double t, double seconds, const char* mode)
{
    const flight::Flight& flight = *part.source->flight;
    const flight::Fix at = positionAt(flight, t);
    out.OpenElement("gx:FlyTo");
    textElement(out, "gx:duration", fixed(seconds, 1));
    textElement(out, "gx:flyToMode", mode);
    out.OpenElement("LookAt");
    out.OpenElement("gx:TimeStamp");
    textElement(out, "when", isoUtc(part.utcAtClockZero + t));
    out.CloseElement();
    textElement(out, "longitude", fixed(at.lonDeg, 7));
    textElement(out, "latitude", fixed(at.latDeg, 7));
    textElement(out, "altitude", fixed(at.altM, 2));
    textElement(out, "heading", fixed(anglesAt(flight, t).heading, 1));
    textElement(out, "tilt", fixed(CHASE_TILT_DEGREES, 1));
    textElement(out, "range", fixed(part.source->chaseDistanceM, 1));
    textElement(out, "altitudeMode", "absolute");
    out.CloseElement();
    out.CloseElement();
}

} // namespace

void writeTour(tinyxml2::XMLPrinter& out, const FlightPart& part)
{
    const flight::Flight& flight = *part.source->flight;
    const double start = flight.position.front().t;
    const double end = flight.position.back().t;
    const double speed = std::max(1.0, (end - start) / MAX_TOUR_SECONDS);
    out.OpenElement("gx:Tour");
    textElement(out, "name", "Follow " + part.source->name);
    textElement(out, "description", speed > 1.0 ? "From behind the vehicle, " + fixed(speed, 1) + " times as fast"
                                                : std::string("From behind the vehicle, in real time"));
    out.OpenElement("gx:Playlist");
    writeFlyTo(out, part, start, FIRST_FLIGHT_SECONDS, "bounce");
    const double step = TOUR_STEP_SECONDS * speed;
    const long steps = static_cast<long>(std::ceil((end - start) / step - 1e-9));
    for (long k = 1; k <= steps; ++k) {
        const double t = std::min(end, start + static_cast<double>(k) * step);
        writeFlyTo(out, part, t, TOUR_STEP_SECONDS * (t - (start + static_cast<double>(k - 1) * step)) / step,
                   "smooth");
    }
    out.CloseElement();
    out.CloseElement();
}

} // namespace flightreplay::kml
