#include <algorithm>
#include <cmath>

#include "tools/review/review_rules.h"
#include "tools/review/review_thresholds.h"

namespace flightreplay::review {

using namespace flight;

namespace {

struct Axis {
    const char* message;
    const char* field;
    const char* axis;
    const char* scale; // "ardupilot" or "px4"
};

const Axis VIBRATION_AXES[] = {
    {"VIBE", "VibeX", "X", "ardupilot"},
    {"VIBE", "VibeY", "Y", "ardupilot"},
    {"VIBE", "VibeZ", "Z", "ardupilot"},
    {"VIBRATION", "vibration_x", "X", "ardupilot"},
    {"VIBRATION", "vibration_y", "Y", "ardupilot"},
    {"VIBRATION", "vibration_z", "Z", "ardupilot"},
    {"vehicle_imu_status", "accel_vibration_metric", "", "px4"},
};

// MAV_AUTOPILOT of a telemetry log's vehicle; -1 elsewhere.
int autopilotOf(const Flight& flight)
{
    for (const LinkSystem& system : flight.linkSystems)
        if (system.id == flight.systemId)
            return system.autopilot;
    return -1;
}

// A cumulative counter's rise at sample i > 0.
double riseAt(const FieldSeries& counter, size_t i)
{
    const double rise = counter[i].value - counter[i - 1].value;
    // A counter that goes back was reset (a reboot, a new instance): no rise.
    return rise > 0 ? rise : 0.0;
}

void clippingOf(ReviewContext& review, FieldSeries counter, const std::string& what)
{
    SpanFinder rising(review.airborne, Worst::highest, 0.0);
    for (size_t i = 1; i < counter.size(); ++i) {
        const double rise = riseAt(counter, i);
        rising.add(counter[i].t, rise, rise > 0);
    }
    std::vector<Span> spans = capSpans(rising.spans());
    // The rises within each span (in order and apart), in the air.
    std::vector<double> totals(spans.size(), 0.0);
    size_t k = 0;
    WindowCursor airborne(review.airborne);
    for (size_t i = 1; i < counter.size() && k < spans.size(); ++i) {
        const double t = counter[i].t;
        while (k < spans.size() && spans[k].end < t)
            ++k;
        if (k < spans.size() && t >= spans[k].start && airborne.inside(t))
            totals[k] += riseAt(counter, i);
    }
    const double warning = threshold("clipping.warning"), failure = threshold("clipping.failure");
    for (size_t j = 0; j < spans.size(); ++j) {
        Span span = spans[j];
        const double total = totals[j];
        if (total < warning)
            continue;
        span.value = total;
        const bool failed = total > failure;
        review.add(FindingKind::clipping, failed ? Severity::failure : Severity::warning, span, failed ? failure : warning, "",
                   "The accelerometer" + what + " clipped " + number(total, 0)
                       + " times in flight: it hit its measuring limit, so the estimates were corrupted (vibration or a hard knock)");
    }
}

} // namespace

void checkVibration(ReviewContext& review)
{
    bool any = false;
    for (const Axis& axis : VIBRATION_AXES) {
        for (int instance : review.instances(axis.message, axis.field)) {
            any = true;
            // PX4 fills MAVLink's VIBRATION with its own metric.
            const bool px4 = std::string(axis.message) == "VIBRATION" && autopilotOf(review.flight) == 12;
            const std::string scale = px4 ? "px4" : axis.scale;
            const double warning = threshold("vibration." + scale + ".warning");
            const double failure = threshold("vibration." + scale + ".failure");
            const std::string imu = "IMU " + std::to_string(instance) + (axis.axis[0] ? std::string(" ") + axis.axis + " axis" : "");
            levelFindings(review, review.field(axis.message, axis.field, instance), review.airborne, warning, failure, true,
                          threshold("vibration.seconds"), FindingKind::vibration, "m/s²",
                          [&](Severity severity, double value) {
                              return "Vibration on " + imu + " reached " + number(value, 1) + " m/s²"
                                     + (severity == Severity::failure ? ": position and altitude hold are likely to fail"
                                                                      : ": may upset position and altitude hold");
                          });
        }
    }
    if (!any)
        review.note("no vibration data in this log");
}

void checkClipping(ReviewContext& review)
{
    bool any = false;
    for (int instance : review.instances("VIBE", "Clip")) {
        any = true;
        clippingOf(review, review.field("VIBE", "Clip", instance), " of IMU " + std::to_string(instance));
    }
    for (const char* field : {"Clip0", "Clip1", "Clip2"})
        if (const FieldSeries s = review.field("VIBE", field)) {
            any = true;
            clippingOf(review, s, std::string(" of IMU ") + field[4]);
        }
    for (const char* field : {"clipping_0", "clipping_1", "clipping_2"})
        if (const FieldSeries s = review.field("VIBRATION", field)) {
            any = true;
            clippingOf(review, s, std::string(" of IMU ") + field[9]);
        }
    for (int instance : review.instances("vehicle_imu_status", "accel_clipping[0]")) {
        any = true;
        // The three axes' counts summed: a rise on any axis is clipping.
        Series sum;
        const FieldSeries axes[3] = {review.field("vehicle_imu_status", "accel_clipping[0]", instance),
                                     review.field("vehicle_imu_status", "accel_clipping[1]", instance),
                                     review.field("vehicle_imu_status", "accel_clipping[2]", instance)};
        for (size_t i = 0; i < axes[0].size(); ++i) {
            double total = axes[0][i].value;
            for (int a = 1; a < 3; ++a)
                if (i < axes[a].size())
                    total += axes[a][i].value;
            sum.push_back({axes[0][i].t, total});
        }
        clippingOf(review, sum, " of IMU " + std::to_string(instance));
    }
    if (!any)
        review.note("no accelerometer clipping counts in this log");
}

} // namespace flightreplay::review
