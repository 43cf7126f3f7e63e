#include "tools/flight/flight_sampler.h"

#include <algorithm>

#include "frame/map_frame.h"
#include "log/units.h"
#include "path/animation_path.h"
#include "tools/flight/ground_speed.h"

namespace flightreplay::flight {

namespace {

template <typename T>
size_t indexAtOrBefore(const std::vector<T>& samples, double t)
{
    const auto after =
        std::upper_bound(samples.begin(), samples.end(), t, [](double time, const T& s) { return time < s.t; });
    return after == samples.begin() ? 0 : static_cast<size_t>(after - samples.begin()) - 1;
}

template <typename T>
double fractionAfter(const std::vector<T>& samples, size_t i, double t)
{
    if (i + 1 >= samples.size() || !(t > samples[i].t))
        return 0.0;
    const double span = samples[i + 1].t - samples[i].t;
    return span > 0.0 ? std::min((t - samples[i].t) / span, 1.0) : 0.0;
}

double lerp(double a, double b, double f)
{
    return a + (b - a) * f;
}

} // namespace

double seriesAt(const Series& series, double t)
{
    if (series.empty() || !(t >= series.front().t))
        return NAN;
    const size_t i = indexAtOrBefore(series, t);
    const double f = fractionAfter(series, i, t);
    return f > 0.0 ? lerp(series[i].value, series[i + 1].value, f) : series[i].value;
}

double heldAt(const Series& series, double t)
{
    if (series.empty() || !(t >= series.front().t))
        return NAN;
    return series[indexAtOrBefore(series, t)].value;
}

FlightSampler::FlightSampler(const Flight& flight) : flight_(&flight)
{
    const std::vector<Fix>& fixes = flight.position;
    const size_t n = fixes.size();
    if (n == 0)
        return;
    start_ = fixes.front().t;
    times_.resize(n);
    positions_.resize(n);
    for (size_t i = 0; i < n; ++i) {
        times_[i] = fixes[i].t - start_;
        positions_[i] = osg::Vec3d(geoToScene(fixes[i].latDeg, fixes[i].lonDeg, fixes[i].altM));
    }
    for (const FlightEvent& e : flight.events) {
        if (e.kind != FlightEventKind::linkLost || !(e.duration > 0.0))
            continue;
        losses_.push_back({e.t, e.t + e.duration});
        const double middle = e.t + 0.5 * e.duration;
        const size_t i = indexAtOrBefore(fixes, middle);
        if (i + 1 < n && fixes[i].t <= middle && fixes[i + 1].t > middle)
            breaks_.push_back(i);
    }
    std::sort(breaks_.begin(), breaks_.end());
    breaks_.erase(std::unique(breaks_.begin(), breaks_.end()), breaks_.end());
    groundSpeeds_ = groundSpeedsAtFixes(flight);
    verticalSpeeds_.assign(n, 0.0);
    for (size_t i = 0; i < n; ++i) {
        // Central differences where both neighbours exist, one-sided at the ends.
        const size_t a = i > 0 ? i - 1 : 0;
        const size_t b = std::min(i + 1, n - 1);
        const double dt = times_[b] - times_[a];
        if (dt > 0.0)
            verticalSpeeds_[i] = (fixes[b].altM - fixes[a].altM) / dt;
    }
}

FlightSample FlightSampler::sample(double t) const
{
    FlightSample s;
    if (times_.empty())
        return s;
    const Flight& flight = *flight_;
    t = std::clamp(t, 0.0, duration());
    double clock = start_ + t;
    for (const auto& [from, to] : losses_)
        if (clock > from && clock < to) {
            clock = from;
            s.linkLost = true;
        }
    // Within a link loss nothing moves towards the values after it.
    const auto fraction = [&](const auto& samples, size_t i) { return s.linkLost ? 0.0 : fractionAfter(samples, i, clock); };
    const auto valueAt = [&](const Series& series) { return s.linkLost ? heldAt(series, clock) : seriesAt(series, clock); };
    const size_t i = indexAtOrBefore(flight.position, clock);
    const size_t next = std::min(i + 1, times_.size() - 1);
    const double f = fraction(flight.position, i);
    const Fix& a = flight.position[i];
    const Fix& b = flight.position[next];

    s.time = t;
    s.fix = static_cast<int>(i);
    s.position = positions_[i] + (positions_[next] - positions_[i]) * f;
    s.latitude = lerp(a.latDeg, b.latDeg, f);
    s.longitude = lerp(a.lonDeg, b.lonDeg, f);
    s.altitude = lerp(a.altM, b.altM, f);
    s.groundSpeed = lerp(groundSpeeds_[i], groundSpeeds_[next], f);
    s.verticalSpeed = lerp(verticalSpeeds_[i], verticalSpeeds_[next], f);

    double roll = 0.0, pitch = 0.0, yaw = 0.0;
    if (!flight.attitude.empty()) {
        const size_t j = indexAtOrBefore(flight.attitude, clock);
        const size_t k = std::min(j + 1, flight.attitude.size() - 1);
        const double g = fraction(flight.attitude, j);
        const Attitude& p = flight.attitude[j];
        const Attitude& q = flight.attitude[k];
        roll = interpolateAngle(p.roll, q.roll, g);
        pitch = interpolateAngle(p.pitch, q.pitch, g);
        yaw = wrapZeroTwoPi(interpolateAngle(p.yaw, q.yaw, g));
        if (clock >= flight.attitude.front().t) {
            s.roll = roll;
            s.pitch = pitch;
            s.yaw = yaw;
        }
    }
    s.modelYaw = yaw;
    s.attitude = attitudeOf(logHeadingOfCompass(yaw), pitch, logRollOfAerospace(roll));

    s.voltage = valueAt(flight.voltage);
    s.current = valueAt(flight.current);
    s.mah = valueAt(flight.mah);
    s.satellites = heldAt(flight.satellites, clock);
    for (size_t c = 0; c < flight.rcIn.size(); ++c)
        s.rcIn[c] = valueAt(flight.rcIn[c]);
    for (size_t c = 0; c < flight.servoOut.size(); ++c)
        s.servoOut[c] = valueAt(flight.servoOut[c]);
    if (!flight.windSpeed.empty() && !flight.windDirection.empty()) {
        s.windSpeed = valueAt(flight.windSpeed);
        const size_t w = indexAtOrBefore(flight.windDirection, clock);
        const size_t x = std::min(w + 1, flight.windDirection.size() - 1);
        const double from = interpolateAngle(flight.windDirection[w].value * RADIANS_PER_DEGREE,
                                             flight.windDirection[x].value * RADIANS_PER_DEGREE,
                                             fraction(flight.windDirection, w));
        s.windDirection = wrapZeroTwoPi(from) * DEGREES_PER_RADIAN;
    }
    if (std::isfinite(flight.utcAtClockZero))
        s.utc = flight.utcAtClockZero + start_ + t;
    const auto mode = std::upper_bound(flight.modes.begin(), flight.modes.end(), clock,
                                       [](double time, const ModeChange& m) { return time < m.t; });
    s.mode = static_cast<int>(mode - flight.modes.begin()) - 1;
    return s;
}

} // namespace flightreplay::flight
