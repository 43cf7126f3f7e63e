#include <algorithm>
#include <cmath>
#include <string>

#include "tools/review/review_rules.h"
#include "tools/review/review_thresholds.h"

namespace flightreplay::review {

using namespace flight;

namespace {

constexpr size_t MAX_MOTORS = 12;

// Each motor's output in µs, motor 1 first: the log's series, or PX4's 0..1
// motor commands as 1000..2000 µs in converted.
std::vector<const Series*> motorOutputs(ReviewContext& review, std::vector<Series>& converted)
{
    std::vector<const Series*> motors;
    for (size_t i = 0; i < MAX_MOTORS; ++i) {
        const Series* s = review.field("actuator_motors", "control[" + std::to_string(i) + "]");
        if (!s)
            break;
        Series us;
        for (const Sample& sample : *s)
            us.push_back({sample.t, 1000.0 + 1000.0 * sample.value});
        converted.push_back(std::move(us));
    }
    for (const Series& s : converted)
        motors.push_back(&s);
    if (!motors.empty()) {
        review.note("PX4's motor commands (0 to 1) are judged as outputs of 1000 to 2000 µs");
        return motors;
    }
    for (const auto& [message, prefix] : {std::pair{"RCOU", "C"}, std::pair{"SERVO_OUTPUT_RAW", "servo"}}) {
        for (int i = 1; i <= 8; ++i) {
            const Series* s = review.field(message, prefix + std::to_string(i) + (message[0] == 'S' ? "_raw" : ""));
            if (!s)
                break;
            motors.push_back(s);
        }
        if (!motors.empty())
            break;
    }
    // Which outputs drive motors the log does not say: the first four, and
    // the next two or four where they run like them (hexa, octo).
    const auto airborneMedian = [&](const Series& s) -> double {
        // A few thousand samples tell the median as well as all of them.
        std::vector<double> v;
        WindowCursor airborne(review.airborne);
        const size_t stride = std::max<size_t>(1, s.size() / 4096);
        for (size_t i = 0; i < s.size(); i += stride)
            if (airborne.inside(s[i].t))
                v.push_back(s[i].value);
        if (v.empty())
            return NAN;
        std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    if (motors.size() < 4)
        return {};
    std::vector<double> medians;
    for (const Series* s : motors)
        medians.push_back(airborneMedian(*s));
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

void saturation(ReviewContext& review, const std::vector<const Series*>& motors)
{
    const double limit = threshold("motors.limit.pwm");
    const double longer = threshold("motors.limit.failure.seconds");
    for (size_t m = 0; m < motors.size(); ++m) {
        for (Span span : capSpans(spansWhere(*motors[m], review.airborne, [limit](double v) { return v >= limit; },
                                             [](double a, double b) { return a > b; }, threshold("motors.limit.seconds")),
                                  3)) {
            const double seconds = span.end - span.start;
            review.add(FindingKind::motors, seconds >= longer ? Severity::failure : Severity::warning, span, limit, "µs",
                       "Motor " + std::to_string(m + 1) + " sat at its limit for " + number(seconds, 1)
                           + " s: no thrust left to steer with (overweight, a weak motor or a failing neighbour)");
        }
    }
}

void imbalance(ReviewContext& review, const std::vector<const Series*>& motors)
{
    std::vector<double> means;
    double first = INFINITY, last = -INFINITY;
    for (const Series* s : motors) {
        double sum = 0;
        size_t n = 0;
        WindowCursor airborne(review.airborne);
        for (const Sample& sample : *s)
            if (airborne.inside(sample.t)) {
                sum += sample.value;
                ++n;
                first = std::min(first, sample.t);
                last = std::max(last, sample.t);
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

void stopped(ReviewContext& review, const std::vector<const Series*>& motors)
{
    const double idle = threshold("motors.stopped.pwm");
    const double others = idle + threshold("motors.others.pwm");
    // Outputs of one message share their times: read side by side then.
    bool aligned = true;
    for (const Series* s : motors)
        aligned = aligned && s->size() == motors[0]->size();
    for (size_t i = 0; aligned && i < motors[0]->size(); ++i)
        for (const Series* s : motors)
            aligned = aligned && (*s)[i].t == (*motors[0])[i].t;
    for (size_t m = 0; m < motors.size(); ++m) {
        Series low; // the others' mean where this motor is at idle or below; 0 elsewhere
        for (size_t i = 0; i < motors[m]->size(); ++i) {
            const Sample& s = (*motors[m])[i];
            double sum = 0;
            int n = 0;
            for (size_t o = 0; o < motors.size(); ++o) {
                const double v = o == m ? NAN : aligned ? (*motors[o])[i].value : valueAt(*motors[o], s.t);
                if (std::isfinite(v)) {
                    sum += v;
                    ++n;
                }
            }
            const double mean = n > 0 ? sum / n : 0;
            low.push_back({s.t, s.value <= idle && mean >= others ? mean : 0.0});
        }
        for (const Span& span : capSpans(spansWhere(low, review.airborne, [](double v) { return v > 0; },
                                                    [](double a, double b) { return a > b; }, threshold("motors.stopped.seconds")),
                                         3))
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
    std::vector<Series> converted;
    const std::vector<const Series*> motors = motorOutputs(review, converted);
    if (motors.empty()) {
        review.note("no motor outputs in this log");
        return;
    }
    saturation(review, motors);
    imbalance(review, motors);
    stopped(review, motors);
}

} // namespace flightreplay::review
