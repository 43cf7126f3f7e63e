#include <algorithm>
#include <cmath>
#include <string>

#include "tools/review/review_rules.h"
#include "tools/review/review_thresholds.h"

namespace flightreplay::review {

using namespace flight;

namespace {

constexpr size_t MAX_MOTORS = 12;

// A motor's output in µs: the log's own, or PX4's motor command (0 to 1)
// read as 1000 to 2000 µs.
struct MotorOutput {
    FieldSeries series;
    bool command;
    size_t size() const { return series.size(); }
    double t(size_t i) const { return series.time(i); }
    double us(size_t i) const { return microseconds(series[i].value); }
    double microseconds(double value) const { return command ? 1000.0 + 1000.0 * value : value; }
};

// Each motor's output, motor 1 first.
std::vector<MotorOutput> motorOutputs(ReviewContext& review)
{
    std::vector<MotorOutput> motors;
    for (size_t i = 0; i < MAX_MOTORS; ++i) {
        const FieldSeries s = review.field("actuator_motors", "control[" + std::to_string(i) + "]");
        if (!s)
            break;
        motors.push_back({s, true});
    }
    if (!motors.empty()) {
        review.note("PX4's motor commands (0 to 1) are judged as outputs of 1000 to 2000 µs");
        return motors;
    }
    for (const auto& [message, prefix] : {std::pair{"RCOU", "C"}, std::pair{"SERVO_OUTPUT_RAW", "servo"}}) {
        for (int i = 1; i <= 8; ++i) {
            const FieldSeries s = review.field(message, prefix + std::to_string(i) + (message[0] == 'S' ? "_raw" : ""));
            if (!s)
                break;
            motors.push_back({s, false});
        }
        if (!motors.empty())
            break;
    }
    // Which outputs drive motors the log does not say: the first four, and
    // the next two or four where they run like them (hexa, octo).
    const auto airborneMedian = [&](const MotorOutput& motor) -> double {
        // A few thousand samples tell the median as well as all of them.
        std::vector<double> v;
        WindowCursor airborne(review.airborne);
        const size_t stride = std::max<size_t>(1, motor.size() / 4096);
        for (size_t i = 0; i < motor.size(); i += stride)
            if (airborne.inside(motor.t(i)))
                v.push_back(motor.us(i));
        if (v.empty())
            return NAN;
        std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    if (motors.size() < 4)
        return {};
    std::vector<double> medians;
    for (const MotorOutput& motor : motors)
        medians.push_back(airborneMedian(motor));
    double base = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (!(medians[i] > threshold("motors.stopped.pwm")))
            return {};
        base += medians[i] / 4;
    }
    size_t count = 4;
    for (size_t more : {size_t(6), size_t(8)}) {
        if (motors.size() < more)
            break;
        bool alike = true;
        for (size_t i = count; i < more; ++i)
            alike = alike && std::fabs(medians[i] - base) < 250;
        if (!alike)
            break;
        count = more;
    }
    motors.resize(count);
    return motors;
}

void saturation(ReviewContext& review, const std::vector<MotorOutput>& motors)
{
    const double limit = threshold("motors.limit.pwm");
    const double longer = threshold("motors.limit.failure.seconds");
    for (size_t m = 0; m < motors.size(); ++m) {
        SpanFinder atLimit(review.airborne, Worst::highest, threshold("motors.limit.seconds"));
        for (size_t i = 0; i < motors[m].size(); ++i) {
            const double us = motors[m].us(i);
            atLimit.add(motors[m].t(i), us, us >= limit);
        }
        for (Span span : capSpans(atLimit.spans())) {
            const double seconds = span.end - span.start;
            review.add(FindingKind::motors, seconds >= longer ? Severity::failure : Severity::warning, span, limit, "µs",
                       "Motor " + std::to_string(m + 1) + " sat at its limit for " + number(seconds, 1)
                           + " s: no thrust left to steer with (overweight, a weak motor or a failing neighbour)");
        }
    }
}

void imbalance(ReviewContext& review, const std::vector<MotorOutput>& motors)
{
    std::vector<double> means;
    double first = INFINITY, last = -INFINITY;
    for (const MotorOutput& motor : motors) {
        double sum = 0;
        size_t n = 0;
        WindowCursor airborne(review.airborne);
        for (size_t i = 0; i < motor.size(); ++i)
            if (airborne.inside(motor.t(i))) {
                sum += motor.us(i);
                ++n;
                first = std::min(first, motor.t(i));
                last = std::max(last, motor.t(i));
            }
        if (n == 0)
            return;
        means.push_back(sum / static_cast<double>(n));
    }
    const auto [lo, hi] = std::minmax_element(means.begin(), means.end());
    const double spread = *hi - *lo;
    const double warning = threshold("motors.imbalance.warning"), failure = threshold("motors.imbalance.failure");
    if (spread <= warning)
        return;
    const bool failed = spread > failure;
    review.add(FindingKind::motors, failed ? Severity::failure : Severity::warning, {first, last, spread}, failed ? failure : warning,
               "µs",
               "Motor " + std::to_string(hi - means.begin() + 1) + " ran " + number(spread, 0) + " µs above motor "
                   + std::to_string(lo - means.begin() + 1)
                   + " on average: the frame is out of balance (centre of gravity, a bent arm, a tilted or weak motor)");
}

void stopped(ReviewContext& review, const std::vector<MotorOutput>& motors)
{
    const double idle = threshold("motors.stopped.pwm");
    const double others = idle + threshold("motors.others.pwm");
    // Outputs of one message share their times: read side by side then.
    bool aligned = true, rows = true;
    for (const MotorOutput& motor : motors) {
        aligned = aligned && motor.size() == motors[0].size();
        rows = rows && motor.series.sameRows(motors[0].series);
    }
    for (size_t i = 0; aligned && !rows && i < motors[0].size(); ++i)
        for (const MotorOutput& motor : motors)
            aligned = aligned && motor.t(i) == motors[0].t(i);
    for (size_t m = 0; m < motors.size(); ++m) {
        // Where this motor is at idle or below: the others' mean.
        SpanFinder low(review.airborne, Worst::highest, threshold("motors.stopped.seconds"));
        std::vector<SeriesCursor> cursors;
        cursors.reserve(motors.size());
        for (const MotorOutput& motor : motors)
            cursors.emplace_back(motor.series);
        for (size_t i = 0; i < motors[m].size(); ++i) {
            const double t = motors[m].t(i);
            if (motors[m].us(i) > idle) {
                low.add(t, 0.0, false);
                continue;
            }
            double sum = 0;
            int n = 0;
            for (size_t o = 0; o < motors.size(); ++o) {
                if (o == m)
                    continue;
                const double v = aligned ? motors[o].us(i) : motors[o].microseconds(cursors[o].at(t));
                if (std::isfinite(v)) {
                    sum += v;
                    ++n;
                }
            }
            const double mean = n > 0 ? sum / n : 0;
            const bool holds = mean >= others;
            low.add(t, holds ? mean : 0.0, holds);
        }
        for (const Span& span : capSpans(low.spans()))
            review.add(FindingKind::motors, Severity::failure, span, idle, "µs",
                       "Motor " + std::to_string(m + 1) + " stopped in flight while the others ran at " + number(span.value, 0)
                           + " µs: a motor, ESC or propeller failed");
    }
}

} // namespace

void checkMotors(ReviewContext& review)
{
    if (review.flight.vehicle != VehicleKind::multicopter) {
        review.note("motor checks are made for multicopters only");
        return;
    }
    const std::vector<MotorOutput> motors = motorOutputs(review);
    if (motors.empty()) {
        review.note("no motor outputs in this log");
        return;
    }
    saturation(review, motors);
    imbalance(review, motors);
    stopped(review, motors);
}

} // namespace flightreplay::review
