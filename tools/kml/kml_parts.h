#pragma once
// The parts of the KML document, each written into the one printer in the
// order the KML schema wants them.

#include <string>
#include <vector>

#include <osg/Vec4>
#include <tinyxml2.h>

#include "tools/kml/kml_document.h"
#include "tools/review/flight_review.h"
#include "tools/kml/track_points.h"

namespace flightreplay::kml {

// One flight on its way into the document.
struct FlightPart {
    const KmlFlight* source;
    int number;                      // 0, 1, ... in the document
    std::vector<TrackPoint> points;  // the kept fixes
    double utcAtClockZero;           // seconds since 1970 at t = 0 of its clock
    bool dated;                      // the UTC is the file's, not made up
};

// The text with what XML 1.0 cannot hold replaced by '?': control
// characters other than tab and line ends, and bytes that are not UTF-8
// (log messages are whatever the autopilot wrote).
std::string xmlSafeText(const std::string& text);

// <name>text</name> and the like, the text made safe and escaped.
void textElement(tinyxml2::XMLPrinter& out, const char* name, const std::string& text);

// The number with that many decimals.
std::string fixed(double value, int decimals);

// "lon lat alt" as gx:coord, or "lon,lat,alt" as coordinates (comma).
std::string coordinates(double lonDeg, double latDeg, double altM, char separator);

// KML's aabbggrr of an RGBA colour.
std::string kmlColour(const osg::Vec4& colour);

// Styles every flight refers to: the tracks, the mode colours, the marks.
void writeStyles(tinyxml2::XMLPrinter& out, const std::vector<FlightPart>& flights);
// Style id of a stretch of track flown in flight.modes[modeIndex]
// ("mode-N", N its palette colour), before the first mode (modeIndex -1:
// "no-mode"), or of a flight without modes ("flight-N", its own colour).
std::string segmentStyle(const FlightPart& flight, int modeIndex);

// The timed track carrying the model (gx:Track), then the track in the
// colours of the modes.
void writeTrack(tinyxml2::XMLPrinter& out, const FlightPart& flight);
void writeModeSegments(tinyxml2::XMLPrinter& out, const FlightPart& flight);
// The legend of the mode colours, HTML for a description.
std::string modeLegend(const FlightPart& flight);

// Take-off, landing and the other events, mode changes and messages.
void writeMarks(tinyxml2::XMLPrinter& out, const FlightPart& flight);

// The review's findings: a folder "Review" (its notes in the description)
// with a placemark per finding at the vehicle's position at its start,
// styled "review-warning" or "review-failure"; nothing for a flight
// without a review.
void writeReview(tinyxml2::XMLPrinter& out, const FlightPart& flight);

// The tour following the vehicle from behind.
void writeTour(tinyxml2::XMLPrinter& out, const FlightPart& flight);

} // namespace flightreplay::kml
