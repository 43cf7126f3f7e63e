#include "tools/studio/track_colours.h"

#include "tools/studio/event_timeline.h"

#include <algorithm>
#include <cmath>

namespace flightreplay::studio {

namespace {

double valueOf(const FlightSampler& flight, TrackColouring colouring, size_t fix)
{
    return colouring == TrackColouring::altitude ? flight.flight().position[fix].altM : flight.groundSpeeds()[fix];
}

} // namespace

osg::Vec4 rampColour(double f)
{
    static const osg::Vec4 stops[] = {{0.15f, 0.3f, 1.0f, 1.0f}, {0.0f, 0.9f, 1.0f, 1.0f}, {0.1f, 0.9f, 0.2f, 1.0f},
                                      {1.0f, 0.95f, 0.1f, 1.0f}, {1.0f, 0.15f, 0.1f, 1.0f}};
    const double at = std::clamp(f, 0.0, 1.0) * 4.0;
    const int i = std::min(static_cast<int>(at), 3);
    const auto t = static_cast<float>(at - i);
    return stops[i] * (1.0f - t) + stops[i + 1] * t;
}

ValueRange colouringRange(const FlightSampler& flight, TrackColouring colouring)
{
    ValueRange range;
    const size_t n = flight.fixTimes().size();
    if (colouring == TrackColouring::white || colouring == TrackColouring::field || n == 0)
        return range;
    range.low = range.high = valueOf(flight, colouring, 0);
    for (size_t i = 1; i < n; ++i) {
        const double v = valueOf(flight, colouring, i);
        range.low = std::min(range.low, v);
        range.high = std::max(range.high, v);
    }
    return range;
}

void colourTrack(osg::Geometry& track, const FlightSampler& flight, TrackColouring colouring, const osg::Vec4& plain)
{
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    if (colouring == TrackColouring::white || colouring == TrackColouring::field) {
        colours->push_back(plain);
        track.setColorArray(colours.get(), osg::Array::BIND_OVERALL);
        return;
    }
    if (colouring == TrackColouring::mode) {
        std::vector<double> times = flight.fixTimes();
        for (double& t : times)
            t += flight.clockAtStart();
        colourTrackByMode(track, times, flight.flight());
        return;
    }
    const ValueRange range = colouringRange(flight, colouring);
    const double span = range.high > range.low ? range.high - range.low : 1.0;
    const size_t n = flight.fixTimes().size();
    for (size_t i = 0; i < n; ++i)
        colours->push_back(rampColour((valueOf(flight, colouring, i) - range.low) / span));
    track.setColorArray(colours.get(), osg::Array::BIND_PER_VERTEX);
}

std::vector<double> fieldAtFixes(const FlightSampler& flight, const flight::Series& series)
{
    const std::vector<double>& times = flight.fixTimes();
    std::vector<double> values(times.size(), NAN);
    if (series.empty())
        return values;
    const auto before = [](const flight::Sample& s, double t) { return s.t < t; };
    for (size_t i = 0; i < times.size(); ++i) {
        const double at = times[i] + flight.clockAtStart();
        const double back = i > 0 ? (times[i] - times[i - 1]) / 2 : i + 1 < times.size() ? (times[i + 1] - times[i]) / 2 : 0.0;
        const double ahead = i + 1 < times.size() ? (times[i + 1] - times[i]) / 2 : back;
        auto it = std::lower_bound(series.begin(), series.end(), at - back, before);
        double highest = -INFINITY;
        for (; it != series.end() && it->t < at + ahead; ++it)
            highest = std::max(highest, it->value);
        if (std::isfinite(highest)) {
            values[i] = highest;
            continue;
        }
        const auto next = std::lower_bound(series.begin(), series.end(), at, before);
        double nearest = INFINITY;
        if (next != series.end() && next->t - at <= FIELD_HOLD_SECONDS) {
            nearest = next->t - at;
            values[i] = next->value;
        }
        if (next != series.begin() && at - std::prev(next)->t <= std::min(FIELD_HOLD_SECONDS, nearest))
            values[i] = std::prev(next)->value;
    }
    return values;
}

ValueRange valuesRange(const std::vector<double>& values)
{
    ValueRange range{INFINITY, -INFINITY};
    for (double v : values)
        if (std::isfinite(v)) {
            range.low = std::min(range.low, v);
            range.high = std::max(range.high, v);
        }
    return range.low <= range.high ? range : ValueRange{};
}

void colourTrackByValues(osg::Geometry& track, const std::vector<double>& values, const ValueRange& range)
{
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    const double span = range.high > range.low ? range.high - range.low : 1.0;
    for (double v : values)
        colours->push_back(std::isfinite(v) ? rampColour((v - range.low) / span) : osg::Vec4(0.55f, 0.55f, 0.55f, 1.0f));
    track.setColorArray(colours.get(), osg::Array::BIND_PER_VERTEX);
}

} // namespace flightreplay::studio
