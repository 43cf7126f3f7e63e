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

std::vector<Vector> fieldOf(const ReviewContext& review, const Axes& axes, int instance)
{
    std::vector<Vector> out;
    const Series* x = review.field(axes.message, axes.x, instance);
    const Series* y = review.field(axes.message, axes.y, instance);
    const Series* z = review.field(axes.message, axes.z, instance);
    if (!x || !y || !z || x->size() != y->size() || x->size() != z->size())
        return out;
    for (size_t i = 0; i < x->size(); ++i)
        out.push_back({(*x)[i].t, (*x)[i].value, (*y)[i].value, (*z)[i].value});
    return out;
}

// Throttle from 0 to 1.
Series throttleOf(const ReviewContext& review)
{
    const std::tuple<const char*, const char*, double> sources[] = {
        {"CTUN", "ThO", 1.0}, {"CTUN", "ThrOut", 0.001}, {"vehicle_thrust_setpoint", "xyz[2]", -1.0}, {"actuator_controls_0", "control[3]", 1.0}};
    for (const auto& [message, field, scale] : sources)
        if (const Series* s = review.field(message, field)) {
            Series out;
            for (const Sample& sample : *s)
                out.push_back({sample.t, sample.value * scale});
            return out;
        }
    return {};
}

void withThrottle(ReviewContext& review, const std::vector<Vector>& field, const Series& throttle, const std::string& which)
{
    std::vector<std::pair<double, double>> points; // throttle, field length
    double first = INFINITY, last = -INFINITY;
    for (const Vector& v : field) {
        const double thr = valueAt(throttle, v.t);
        if (!inside(review.steady, v.t) || !std::isfinite(thr))
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
    std::vector<double> thr;
    for (const auto& p : points)
        thr.push_back(p.first);
    std::sort(thr.begin(), thr.end());
    const double range = thr[thr.size() * 95 / 100] - thr[thr.size() * 5 / 100];
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

void agreement(ReviewContext& review, const std::vector<Vector>& a, const std::vector<Vector>& b, const std::string& which)
{
    Series angle;
    size_t j = 0;
    for (const Vector& v : a) {
        while (j + 1 < b.size() && b[j + 1].t <= v.t)
            ++j;
        if (b.empty() || std::fabs(b[j].t - v.t) > 1.0)
            continue;
        const double la = v.length(), lb = b[j].length();
        if (!(la > 0) || !(lb > 0))
            continue;
        const double cosine = (v.x * b[j].x + v.y * b[j].y + v.z * b[j].z) / (la * lb);
        angle.push_back({v.t, std::acos(std::fmax(-1.0, std::fmin(1.0, cosine))) * DEGREES_PER_RADIAN});
    }
    levelFindings(review, angle, review.steady, threshold("compass.angle.warning"), threshold("compass.angle.failure"), true,
                  threshold("gps.seconds"), FindingKind::compass, "°", [&](Severity, double value) {
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
        const Series throttle = throttleOf(review);
        if (throttle.empty())
            review.note("no throttle in this log: compass interference is not judged");
        const std::vector<Vector> first = fieldOf(review, axes, instances.front());
        for (int instance : instances) {
            const std::vector<Vector> field = instance == instances.front() ? first : fieldOf(review, axes, instance);
            if (!throttle.empty())
                withThrottle(review, field, throttle, " at compass " + std::to_string(instance));
            if (instance != instances.front())
                agreement(review, field, first, " " + std::to_string(instances.front()) + " and " + std::to_string(instance));
        }
        return;
    }
    review.note("no compass data in this log");
}

double valueAt(const Series& series, double t)
{
    const auto after = std::upper_bound(series.begin(), series.end(), t, [](double time, const Sample& s) { return time < s.t; });
    if (after == series.begin())
        return NAN;
    const Sample& before = *(after - 1);
    return t - before.t <= 2.0 ? before.value : NAN;
}

} // namespace flightreplay::review
