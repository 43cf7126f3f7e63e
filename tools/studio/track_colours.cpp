#include "tools/studio/track_colours.h"

#include "tools/studio/event_timeline.h"

#include <algorithm>

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
    if (colouring == TrackColouring::white || n == 0)
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
    if (colouring == TrackColouring::white) {
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

} // namespace flightreplay::studio
