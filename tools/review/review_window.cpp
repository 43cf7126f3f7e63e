#include "tools/review/review_window.h"

#include <algorithm>
#include <cmath>

#include "tools/review/review_thresholds.h"

namespace flightreplay::review {

using namespace flight;

namespace {

// Stretches between on and off events; one open at the start when the first
// is an off, one open to the end when the last is an on.
Windows between(const Flight& flight, FlightEventKind on, FlightEventKind off, bool& any)
{
    Windows out;
    double since = NAN;
    bool first = true;
    for (const FlightEvent& e : flight.events) {
        if (e.kind != on && e.kind != off)
            continue;
        any = true;
        if (e.kind == on && std::isnan(since)) {
            since = e.t;
        } else if (e.kind == off) {
            if (!std::isnan(since))
                out.push_back({since, e.t});
            else if (first)
                out.push_back({-INFINITY, e.t});
            since = NAN;
        }
        first = false;
    }
    if (!std::isnan(since))
        out.push_back({since, INFINITY});
    return out;
}

Windows intersect(Windows a, Windows b)
{
    normalise(a);
    normalise(b);
    Windows out;
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const double start = std::max(a[i].start, b[j].start), end = std::min(a[i].end, b[j].end);
        if (end > start)
            out.push_back({start, end});
        (a[i].end < b[j].end ? i : j) += 1;
    }
    return out;
}

} // namespace

void flightWindows(ReviewContext& review)
{
    const Flight& flight = review.flight;
    bool armedTold = false, airTold = false;
    review.armed = between(flight, FlightEventKind::armed, FlightEventKind::disarmed, armedTold);
    Windows air = between(flight, FlightEventKind::takeoff, FlightEventKind::landing, airTold);
    const Windows whole = {{-INFINITY, INFINITY}};
    if (!armedTold)
        review.armed = whole;
    normalise(review.armed);
    if (!airTold)
        air = whole;
    if (!armedTold && !airTold)
        review.note("the log tells neither arming nor take-off: all of it is judged");
    review.airborne = intersect(review.armed, air);
    if (review.airborne.empty())
        review.note("the vehicle was not armed in the air in this log: its sensors are not judged");
    const double margin = threshold("margin.seconds");
    for (const Window& w : review.airborne)
        if (w.end - w.start > 2 * margin)
            review.steady.push_back({w.start + margin, w.end - margin});
}

} // namespace flightreplay::review
