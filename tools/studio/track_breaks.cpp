#include "tools/studio/track_breaks.h"

namespace flightreplay::studio {

void addTrackStrips(osg::Geometry& track, const flight::FlightSampler& flight)
{
    const size_t fixes = flight.fixTimes().size();
    size_t first = 0;
    const auto strip = [&](size_t end) {
        if (end > first)
            track.addPrimitiveSet(new osg::DrawArrays(GL_LINE_STRIP, static_cast<GLint>(first), static_cast<GLsizei>(end - first)));
    };
    for (size_t gapAfter : flight.trackBreaks()) {
        strip(gapAfter + 1);
        first = gapAfter + 1;
    }
    strip(fixes);
}

} // namespace flightreplay::studio
