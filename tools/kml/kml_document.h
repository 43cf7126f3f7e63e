#pragma once
// The KML document of one or more flights for Google Earth: per flight a
// folder with the timed track that moves the vehicle's model, the track in
// the colours of the flight modes with a legend, placemarks for what
// happened and for the review's findings, and a tour that follows the vehicle from behind. Positions are
// absolute (metres above mean sea level).

#include <string>
#include <vector>

#include "tools/flight/flight.h"
#include "tools/review/flight_review.h"

namespace flightreplay::kml {

struct KmlFlight {
    const flight::Flight* flight; // with at least one fix; must outlive the call
    std::string name;             // shown in Google Earth's Places
    std::string modelHref;        // the vehicle's COLLADA model within the KMZ; empty: an icon instead
    double chaseDistanceM;        // how far behind the vehicle the tour's eye stays
    const review::Review* review = nullptr; // its findings as placemarks; null: none; must outlive the call
};

// The document's text, UTF-8.
std::string kmlDocument(const std::vector<KmlFlight>& flights);

} // namespace flightreplay::kml
