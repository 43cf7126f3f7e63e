#include "tools/kml/track_points.h"

#include <algorithm>

#include "log/units.h"

namespace flightreplay::kml {

namespace {

// Index of the last sample at or before t (0 before the first) and the
// fraction of the way to the next.
template <typename T>
std::pair<size_t, double> bracket(const std::vector<T>& samples, double t)
{
    const auto after =
        std::upper_bound(samples.begin(), samples.end(), t, [](double time, const T& s) { return time < s.t; });
    const size_t i = after == samples.begin() ? 0 : static_cast<size_t>(after - samples.begin()) - 1;
    if (i + 1 >= samples.size() || !(t > samples[i].t))
        return {i, 0.0};
    const double span = samples[i + 1].t - samples[i].t;
    return {i, span > 0.0 ? std::min((t - samples[i].t) / span, 1.0) : 0.0};
}

double lerp(double a, double b, double f)
{
    return a + (b - a) * f;
}

} // namespace

std::vector<size_t> keptFixes(size_t fixCount, size_t maxPoints)
{
    std::vector<size_t> kept;
    if (fixCount == 0)
        return kept;
    // Every step-th fix from the first, and the last besides: at most
    // maxPoints (at least two) in all.
    const size_t most = std::max<size_t>(maxPoints, 2);
    const size_t step = fixCount <= most ? 1 : (fixCount - 1 + most - 2) / (most - 1);
    for (size_t i = 0; i < fixCount; i += step)
        kept.push_back(i);
    if (kept.back() != fixCount - 1)
        kept.push_back(fixCount - 1);
    return kept;
}

flight::Fix positionAt(const flight::Flight& flight, double t)
{
    const std::vector<flight::Fix>& fixes = flight.position;
    const auto [i, f] = bracket(fixes, t);
    if (f <= 0.0)
        return {t, fixes[i].latDeg, fixes[i].lonDeg, fixes[i].altM};
    const flight::Fix& a = fixes[i];
    const flight::Fix& b = fixes[i + 1];
    return {t, lerp(a.latDeg, b.latDeg, f), lerp(a.lonDeg, b.lonDeg, f), lerp(a.altM, b.altM, f)};
}

KmlAngles anglesAt(const flight::Flight& flight, double t)
{
    if (flight.attitude.empty())
        return {0.0, 0.0, 0.0};
    const auto [i, f] = bracket(flight.attitude, t);
    const flight::Attitude& a = flight.attitude[i];
    const flight::Attitude& b = flight.attitude[std::min(i + 1, flight.attitude.size() - 1)];
    const double yaw = interpolateAngle(a.yaw, b.yaw, f);
    const double pitch = interpolateAngle(a.pitch, b.pitch, f);
    const double roll = interpolateAngle(a.roll, b.roll, f);
    return {wrapZeroTwoPi(yaw) * DEGREES_PER_RADIAN, pitch * DEGREES_PER_RADIAN, roll * DEGREES_PER_RADIAN};
}

std::vector<TrackPoint> trackPoints(const flight::Flight& flight, size_t maxPoints)
{
    std::vector<TrackPoint> points;
    const std::vector<size_t> kept = keptFixes(flight.position.size(), maxPoints);
    points.reserve(kept.size());
    for (size_t i : kept) {
        const flight::Fix& fix = flight.position[i];
        points.push_back({fix.t, fix.latDeg, fix.lonDeg, fix.altM, anglesAt(flight, fix.t)});
    }
    return points;
}

} // namespace flightreplay::kml
