#pragma once
// The colours of a finding's severity wherever the review shows: the
// studio's panel and timeline, the web page (as #rrggbb) and the Google
// Earth placemarks.

#include <osg/Vec4>

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

// The same as OSG's colour, opaque (for flight::htmlColour and the Google
// Earth styles).
inline osg::Vec4 severityOsgColour(Severity severity)
{
    const ReviewRgb c = severityRgb(severity);
    return osg::Vec4(c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 1.0f);
}

} // namespace flightreplay::review
