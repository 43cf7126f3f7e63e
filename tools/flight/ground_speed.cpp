#include "tools/flight/ground_speed.h"

#include <algorithm>
#include <cmath>

#include "log/geography.h"

namespace flightreplay::flight {

namespace {

constexpr double CHORD_HALF_S = 0.5;

} // namespace

std::vector<GroundVelocity> trackVelocities(const std::vector<Fix>& fixes)
{
    const size_t n = fixes.size();
    std::vector<GroundVelocity> velocities(n, {0.0, 0.0});
    size_t prev = 0, next = 0;
    for (size_t i = 0; i < n; ++i) {
        while (prev + 1 < i && fixes[i].t - fixes[prev + 1].t >= CHORD_HALF_S)
            ++prev;
        next = std::max(next, std::min(i + 1, n - 1));
        while (next + 1 < n && fixes[next].t - fixes[i].t < CHORD_HALF_S)
            ++next;
        const double dt = fixes[next].t - fixes[prev].t;
        if (next == prev || !(dt > 0.0))
            continue;
        const LocalOffset chord =
            localOffsetMetres(fixes[prev].latDeg, fixes[prev].lonDeg, fixes[next].latDeg, fixes[next].lonDeg);
        velocities[i] = {chord.east / dt, chord.north / dt};
    }
    return velocities;
}

std::vector<double> groundSpeedsAtFixes(const Flight& flight)
{
    const std::vector<Fix>& fixes = flight.position;
    const Series& recorded = flight.groundSpeed;
    // Where the recorded speed spans every fix, the track's is not needed.
    const bool covered = !recorded.empty() && !fixes.empty() && recorded.front().t <= fixes.front().t
                         && fixes.back().t <= recorded.back().t;
    const std::vector<GroundVelocity> velocities = covered ? std::vector<GroundVelocity>() : trackVelocities(fixes);
    std::vector<double> speeds(fixes.size());
    size_t s = 0;
    for (size_t i = 0; i < fixes.size(); ++i) {
        const double t = fixes[i].t;
        if (recorded.empty() || t < recorded.front().t || t > recorded.back().t) {
            speeds[i] = std::hypot(velocities[i].east, velocities[i].north);
            continue;
        }
        while (s + 1 < recorded.size() && recorded[s + 1].t <= t)
            ++s;
        const Sample& a = recorded[s];
        const Sample& b = recorded[std::min(s + 1, recorded.size() - 1)];
        speeds[i] = b.t > a.t ? a.value + (b.value - a.value) * (t - a.t) / (b.t - a.t) : a.value;
    }
    return speeds;
}

} // namespace flightreplay::flight
