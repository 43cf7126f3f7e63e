#include "tools/studio/page/track_thinning.h"

#include <cmath>

namespace flightreplay::page {

namespace {

bool withinTolerance(const std::vector<double>& times, const std::vector<ThinningChannel>& channels, size_t from,
                     size_t to)
{
    const double span = times[to] - times[from];
    for (size_t i = from + 1; i < to; ++i) {
        const double f = span > 0.0 ? (times[i] - times[from]) / span : 0.0;
        for (const ThinningChannel& c : channels) {
            const double a = c.values[from];
            const double b = c.degrees ? nearestTurn(a, c.values[to]) : c.values[to];
            const double value = c.degrees ? nearestTurn(a, c.values[i]) : c.values[i];
            // A stretch without a value (NaN) ends only where the value does.
            const int gaps = std::isnan(a) + std::isnan(b) + std::isnan(value);
            if (gaps > 0 && gaps < 3)
                return false;
            if (gaps == 0 && std::fabs(a + (b - a) * f - value) > c.tolerance)
                return false;
        }
    }
    return true;
}

} // namespace

double nearestTurn(double a, double b)
{
    double step = std::remainder(b - a, 360.0);
    if (step <= -180.0)
        step += 360.0;
    return a + step;
}

std::vector<size_t> thinSamples(const std::vector<double>& times, const std::vector<ThinningChannel>& channels,
                                size_t maxGap)
{
    std::vector<size_t> kept;
    const size_t n = times.size();
    if (n == 0)
        return kept;
    kept.push_back(0);
    size_t anchor = 0;
    size_t end = 1;
    while (end < n) {
        // Widen the stretch from the anchor while the samples inside it fit.
        if (end - anchor <= maxGap && withinTolerance(times, channels, anchor, end)) {
            ++end;
            continue;
        }
        anchor = end - 1;
        kept.push_back(anchor);
        end = anchor + 1;
    }
    if (kept.back() != n - 1)
        kept.push_back(n - 1);
    return kept;
}

} // namespace flightreplay::page
