#include "tools/readers/track_attitude.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "log/units.h"
#include "tools/flight/ground_speed.h"

namespace flightreplay::readers {

using namespace flight;

namespace {

constexpr double HALF_WINDOW_S = 3.0;
constexpr size_t MAX_FIXES_EACH_SIDE = 50;
constexpr double MIN_SPEED = 1.0;
constexpr double MAX_ANGLE = 60.0 * RADIANS_PER_DEGREE;
constexpr double GRAVITY = 9.80665;

double clampAngle(double angle)
{
    return std::isfinite(angle) ? std::clamp(angle, -MAX_ANGLE, MAX_ANGLE) : 0.0;
}

bool finiteFix(const Fix& f)
{
    return std::isfinite(f.t) && std::isfinite(f.latDeg) && std::isfinite(f.lonDeg) && std::isfinite(f.altM);
}

struct Line {
    double value; // at the window's centre
    double slope; // per second
};

// Least-squares line through (t[j] - t[centre], y[j]) for j in [lo, hi].
Line fitLine(const std::vector<double>& t, const std::vector<double>& y, size_t lo, size_t hi, size_t centre)
{
    double n = 0.0, sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
    for (size_t j = lo; j <= hi; ++j) {
        const double x = t[j] - t[centre];
        n += 1.0;
        sx += x;
        sy += y[j];
        sxx += x * x;
        sxy += x * y[j];
    }
    const double den = n * sxx - sx * sx;
    if (!(den > 1e-9)) // one fix, or times too close to tell apart
        return {sy / n, 0.0};
    const double slope = (n * sxy - sx * sy) / den;
    const double value = (sy - slope * sx) / n;
    if (!std::isfinite(slope) || !std::isfinite(value))
        return {y[centre], 0.0};
    return {value, slope};
}

struct TrackAngles {
    std::vector<double> t;
    std::vector<double> yaw; // unwrapped, so that it interpolates across ±π
    std::vector<double> roll;
    std::vector<double> pitch;
    std::vector<double> speed;
};

TrackAngles anglesFromTrack(const std::vector<Fix>& all)
{
    std::vector<Fix> fixes;
    fixes.reserve(all.size());
    for (const Fix& f : all)
        if (finiteFix(f) && (fixes.empty() || f.t > fixes.back().t))
            fixes.push_back(f);
    const size_t n = fixes.size();

    TrackAngles out;
    out.t.resize(n);
    std::vector<double> speed(n), heading(n), alt(n);
    double held = NAN;
    const std::vector<GroundVelocity> velocity = trackVelocities(fixes);
    for (size_t i = 0; i < n; ++i) {
        out.t[i] = fixes[i].t;
        alt[i] = fixes[i].altM;
        speed[i] = std::hypot(velocity[i].east, velocity[i].north);
        if (!std::isfinite(speed[i]))
            speed[i] = 0.0;
        if (speed[i] >= MIN_SPEED) {
            const double course = std::atan2(velocity[i].east, velocity[i].north);
            held = std::isnan(held) ? course : held + std::remainder(course - held, 2.0 * MAP_PI);
        }
        heading[i] = held;
    }
    // Before the first movement the heading is the first one flown.
    const auto firstKnown = std::find_if(heading.begin(), heading.end(), [](double h) { return !std::isnan(h); });
    const double initial = firstKnown == heading.end() ? 0.0 : *firstKnown;
    for (double& h : heading)
        if (std::isnan(h))
            h = initial;

    out.yaw.resize(n);
    out.roll.resize(n);
    out.pitch.resize(n);
    out.speed.resize(n);
    for (size_t i = 0; i < n; ++i) {
        size_t lo = i;
        while (lo > 0 && i - lo < MAX_FIXES_EACH_SIDE && (lo == i || out.t[i] - out.t[lo - 1] <= HALF_WINDOW_S))
            --lo;
        size_t hi = i;
        while (hi + 1 < n && hi - i < MAX_FIXES_EACH_SIDE && (hi == i || out.t[hi + 1] - out.t[i] <= HALF_WINDOW_S))
            ++hi;
        // Near either end the window keeps its width on the side that has
        // fixes, so the first and last seconds are as smooth as the rest.
        while (lo == 0 && hi + 1 < n && hi - lo < 2 * MAX_FIXES_EACH_SIDE && out.t[hi + 1] - out.t[lo] <= 2 * HALF_WINDOW_S)
            ++hi;
        while (hi + 1 == n && lo > 0 && hi - lo < 2 * MAX_FIXES_EACH_SIDE && out.t[hi] - out.t[lo - 1] <= 2 * HALF_WINDOW_S)
            --lo;
        double speedSum = 0.0;
        for (size_t j = lo; j <= hi; ++j)
            speedSum += speed[j];
        const double v = speedSum / static_cast<double>(hi - lo + 1);
        const Line course = fitLine(out.t, heading, lo, hi, i);
        const Line height = fitLine(out.t, alt, lo, hi, i);
        out.yaw[i] = course.value;
        out.speed[i] = v;
        if (v >= MIN_SPEED) {
            out.roll[i] = clampAngle(std::atan(v * course.slope / GRAVITY));
            out.pitch[i] = clampAngle(std::atan2(height.slope, v));
        } else {
            out.roll[i] = 0.0;
            out.pitch[i] = 0.0;
        }
    }
    return out;
}

struct Angles {
    double roll;
    double pitch;
    double yaw;
};

Angles anglesAt(const TrackAngles& track, double t)
{
    const size_t n = track.t.size();
    if (n == 0)
        return {0.0, 0.0, 0.0};
    size_t hi = static_cast<size_t>(std::lower_bound(track.t.begin(), track.t.end(), t) - track.t.begin());
    if (hi == 0 || !std::isfinite(t))
        return {track.roll[0], track.pitch[0], wrapPlusMinusPi(track.yaw[0])};
    if (hi >= n)
        return {track.roll[n - 1], track.pitch[n - 1], wrapPlusMinusPi(track.yaw[n - 1])};
    const size_t lo = hi - 1;
    const double w = (t - track.t[lo]) / (track.t[hi] - track.t[lo]);
    auto mix = [&](const std::vector<double>& v) { return v[lo] + w * (v[hi] - v[lo]); };
    return {mix(track.roll), mix(track.pitch), wrapPlusMinusPi(mix(track.yaw))};
}

} // namespace

void deriveAttitude(Flight& data)
{
    const TrackAngles track = anglesFromTrack(data.position);

    if (data.attitude.empty()) {
        data.attitude.reserve(track.t.size());
        for (size_t i = 0; i < track.t.size(); ++i)
            data.attitude.push_back({track.t[i], track.roll[i], track.pitch[i], wrapPlusMinusPi(track.yaw[i])});
        data.attitudeDerived = !track.t.empty();
    } else {
        for (Attitude& a : data.attitude) {
            if (std::isfinite(a.roll) && std::isfinite(a.pitch) && std::isfinite(a.yaw))
                continue;
            const Angles derived = anglesAt(track, a.t);
            if (!std::isfinite(a.roll))
                a.roll = derived.roll;
            if (!std::isfinite(a.pitch))
                a.pitch = derived.pitch;
            if (!std::isfinite(a.yaw))
                a.yaw = derived.yaw;
            data.attitudeDerived = true;
        }
    }

    if (data.groundSpeed.empty())
        for (size_t i = 0; i < track.t.size(); ++i)
            data.groundSpeed.push_back({track.t[i], track.speed[i]});
}

} // namespace flightreplay::readers
