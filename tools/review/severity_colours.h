#pragma once
// The colours of a finding's severity wherever the review shows: the
// studio's panel and timeline, the web page (as #rrggbb) and the Google
// Earth placemarks.

#include "tools/review/flight_review.h"

namespace flightreplay::review {

struct ReviewRgb {
    unsigned char r, g, b;
};

// Amber for a warning, red for a failure.
constexpr ReviewRgb WARNING_RGB{255, 165, 0};
constexpr ReviewRgb FAILURE_RGB{230, 30, 30};

constexpr ReviewRgb severityRgb(Severity severity)
{
    return severity == Severity::failure ? FAILURE_RGB : WARNING_RGB;
}

} // namespace flightreplay::review
