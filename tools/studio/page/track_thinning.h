#pragma once
// Samples of a flight thinned to those the eye needs: the page draws the
// aircraft, its track and its numbers by linear interpolation between the
// samples it keeps, and every sample left out lies within a tolerance of
// that interpolation in each channel.

#include <cstddef>
#include <vector>

namespace flightreplay::page {

struct ThinningChannel {
    std::vector<double> values; // one per sample
    double tolerance = 0.0;     // largest error allowed, in the values' units
    bool degrees = false;       // an angle in degrees: interpolated the short way round
};

// Indices (ascending, first and last always among them) of the samples at
// times (seconds, not decreasing) to keep, so that each sample left out is
// within every channel's tolerance of the straight line between the kept
// samples around it, no more than maxGap samples apart.
std::vector<size_t> thinSamples(const std::vector<double>& times, const std::vector<ThinningChannel>& channels,
                                size_t maxGap = 128);

// A angle b in degrees taken to the turn nearest a: a + (b - a) wrapped into (-180, 180].
double nearestTurn(double a, double b);

} // namespace flightreplay::page
