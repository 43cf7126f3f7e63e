#include <algorithm>
#include <cmath>

#include "log/units.h"
#include "tools/review/review_rules.h"
#include "tools/review/review_thresholds.h"

namespace flightreplay::review {

using namespace flight;

namespace {

struct Axes {
    const char* message;
    const char* x;
    const char* y;
    const char* z;
};

const Axes COMPASSES[] = {{"MAG", "MagX", "MagY", "MagZ"},
                          {"vehicle_magnetometer", "magnetometer_ga[0]", "magnetometer_ga[1]", "magnetometer_ga[2]"}};

struct Vector {
    double t, x, y, z;
    double length() const { return std::sqrt(x * x + y * y + z * z); }
};

// A compass's field, read sample by sample from its three axes' series.
struct MagneticField {
    FieldSeries x, y, z;
    size_t size() const { return x.size(); }
    Vector at(size_t i) const { return {x[i].t, x[i].value, y[i].value, z[i].value}; }
};

// Empty where an axis is missing or the axes differ in length.
MagneticField fieldOf(const ReviewContext& review, const Axes& axes, int instance)
{
    const FieldSeries x = review.field(axes.message, axes.x, instance);
    const FieldSeries y = review.field(axes.message, axes.y, instance);
    const FieldSeries z = review.field(axes.message, axes.z, instance);
    if (!x || !y || !z || x.size() != y.size() || x.size() != z.size())
        return {};
    return {x, y, z};
}

// Throttle from 0 to 1: the log's series times scale.
struct Throttle {
    FieldSeries series;
    double scale = 1.0;
};

Throttle throttleOf(const ReviewContext& review)
{
    const std::tuple<const char*, const char*, double> sources[] = {
        {"CTUN", "ThO", 1.0}, {"CTUN", "ThrOut", 0.001}, {"vehicle_thrust_setpoint", "xyz[2]", -1.0}, {"actuator_controls_0", "control[3]", 1.0}};
    for (const auto& [message, field, scale] : sources)
        if (const FieldSeries s = review.field(message, field))
            return {s, scale};
    return {};
}

void withThrottle(ReviewContext& review, const MagneticField& field, const Throttle& throttle, const std::string& which)
{
    std::vector<std::pair<double, double>> points; // throttle, field length
    double first = INFINITY, last = -INFINITY;
    SeriesCursor throttleAt(throttle.series);
    WindowCursor steady(review.steady);
    for (size_t i = 0; i < field.size(); ++i) {
        const Vector v = field.at(i);
        const double thr = throttleAt.at(v.t) * throttle.scale;
        if (!steady.inside(v.t) || !std::isfinite(thr))
            continue;
        points.push_back({thr, v.length()});
        first = std::min(first, v.t);
        last = std::max(last, v.t);
    }
    if (points.size() < 20)
        return;
    double mt = 0, mf = 0;
    for (const auto& [t, f] : points)
        mt += t, mf += f;
    mt /= static_cast<double>(points.size());
    mf /= static_cast<double>(points.size());
    double stt = 0, stf = 0;
    for (const auto& [t, f] : points)
        stt += (t - mt) * (t - mt), stf += (t - mt) * (f - mf);
    // The throttle's 5th and 95th percentiles.
    std::vector<double> thr;
    for (const auto& p : points)
        thr.push_back(p.first);
    const auto high = thr.begin() + static_cast<long>(thr.size() * 95 / 100);
    const auto low = thr.begin() + static_cast<long>(thr.size() * 5 / 100);
    std::nth_element(thr.begin(), high, thr.end());
    std::nth_element(thr.begin(), low, high);
    const double range = *high - *low;
    if (!(stt > 0) || range < 0.1 || !(mf > 0))
        return;
    const double change = std::fabs(stf / stt) * range / mf * 100.0;
    const double warning = threshold("compass.throttle.warning"), failure = threshold("compass.throttle.failure");
    if (change <= warning)
        return;
    const bool failed = change > failure;
    review.add(FindingKind::compass, failed ? Severity::failure : Severity::warning, {first, last, change}, failed ? failure : warning, "%",
               "The magnetic field" + which + " changed " + number(change, 0)
                   + " % with throttle: motor currents disturb the compass (heading errors, circling)");
}

void agreement(ReviewContext& review, const MagneticField& a, const MagneticField& b, const std::string& which)
{
    LevelSpans apart(review.steady, threshold("compass.angle.warning"), threshold("compass.angle.failure"), true, threshold("gps.seconds"));
    size_t j = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const Vector v = a.at(i);
        while (j + 1 < b.size() && b.at(j + 1).t <= v.t)
            ++j;
        if (b.size() == 0 || std::fabs(b.at(j).t - v.t) > 1.0)
            continue;
        const Vector w = b.at(j);
        const double la = v.length(), lb = w.length();
        if (!(la > 0) || !(lb > 0))
            continue;
        const double cosine = (v.x * w.x + v.y * w.y + v.z * w.z) / (la * lb);
        apart.add(v.t, std::acos(std::fmax(-1.0, std::fmin(1.0, cosine))) * DEGREES_PER_RADIAN);
    }
    levelFindings(review, std::move(apart), FindingKind::compass, "°", [&](Severity, double value) {
        return "Compasses" + which + " disagreed by " + number(value, 0) + "°: one of them is disturbed or badly calibrated";
    });
}

} // namespace

void checkCompass(ReviewContext& review)
{
    for (const Axes& axes : COMPASSES) {
        const std::vector<int> instances = review.instances(axes.message, axes.x);
        if (instances.empty())
            continue;
        const Throttle throttle = throttleOf(review);
        if (!throttle.series)
            review.note("no throttle in this log: compass interference is not judged");
        const MagneticField first = fieldOf(review, axes, instances.front());
        for (int instance : instances) {
            const MagneticField field = instance == instances.front() ? first : fieldOf(review, axes, instance);
            if (throttle.series)
                withThrottle(review, field, throttle, " at compass " + std::to_string(instance));
            if (instance != instances.front())
                agreement(review, field, first, " " + std::to_string(instances.front()) + " and " + std::to_string(instance));
        }
        return;
    }
    review.note("no compass data in this log");
}

} // namespace flightreplay::review
