#include "tools/studio/track_colours.h"

#include <algorithm>

namespace flightreplay::studio {

namespace {

double valueOf(const FlightTimeline& timeline, TrackColouring colouring, int row)
{
    return colouring == TrackColouring::altitude ? timeline.rows[row].gps_curalt
                                                 : timeline.groundSpeeds[static_cast<size_t>(row)];
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

ValueRange colouringRange(const FlightTimeline& timeline, TrackColouring colouring)
{
    ValueRange range;
    if (colouring == TrackColouring::white || timeline.count <= 0)
        return range;
    range.low = range.high = valueOf(timeline, colouring, 0);
    for (int i = 1; i < timeline.count; ++i) {
        const double v = valueOf(timeline, colouring, i);
        range.low = std::min(range.low, v);
        range.high = std::max(range.high, v);
    }
    return range;
}

void colourTrack(osg::Geometry& track, const FlightTimeline& timeline, TrackColouring colouring)
{
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    if (colouring == TrackColouring::white) {
        colours->push_back(osg::Vec4(1, 1, 1, 1));
        track.setColorArray(colours.get(), osg::Array::BIND_OVERALL);
        return;
    }
    const ValueRange range = colouringRange(timeline, colouring);
    const double span = range.high > range.low ? range.high - range.low : 1.0;
    for (int i = 0; i < timeline.count; ++i)
        colours->push_back(rampColour((valueOf(timeline, colouring, i) - range.low) / span));
    track.setColorArray(colours.get(), osg::Array::BIND_PER_VERTEX);
}

} // namespace flightreplay::studio
