#include <cmath>

#include "tools/review/review_rules.h"
#include "tools/review/review_thresholds.h"

namespace flightreplay::review {

using namespace flight;

namespace {

struct Ratio {
    const char* message;
    const char* field;
    const char* what;
    bool variance; // ArduPilot's variances, not test ratios
};

const Ratio RATIOS[] = {
    {"XKF4", "SV", "GPS velocity", false},
    {"XKF4", "SP", "GPS position", false},
    {"XKF4", "SH", "height", false},
    {"XKF4", "SM", "compass", false},
    {"NKF4", "SV", "GPS velocity", false},
    {"NKF4", "SP", "GPS position", false},
    {"NKF4", "SH", "height", false},
    {"NKF4", "SM", "compass", false},
    {"estimator_status", "vel_test_ratio", "velocity", false},
    {"estimator_status", "pos_test_ratio", "position", false},
    {"estimator_status", "hgt_test_ratio", "height", false},
    {"estimator_status", "mag_test_ratio", "compass", false},
    {"estimator_status", "hdg_test_ratio", "heading", false},
    {"EKF_STATUS_REPORT", "velocity_variance", "velocity", true},
    {"EKF_STATUS_REPORT", "pos_horiz_variance", "horizontal position", true},
    {"EKF_STATUS_REPORT", "pos_vert_variance", "vertical position", true},
    {"EKF_STATUS_REPORT", "compass_variance", "compass", true},
    {"ESTIMATOR_STATUS", "vel_ratio", "velocity", false},
    {"ESTIMATOR_STATUS", "pos_horiz_ratio", "horizontal position", false},
    {"ESTIMATOR_STATUS", "pos_vert_ratio", "vertical position", false},
    {"ESTIMATOR_STATUS", "mag_ratio", "compass", false},
};

struct Faults {
    const char* message;
    const char* field;
};

const Faults FAULTS[] = {{"XKF4", "FS"}, {"NKF4", "FS"}, {"estimator_status", "filter_fault_flags"}};

void laneSwitches(ReviewContext& review)
{
    const FieldSeries primary = review.field("estimator_selector_status", "primary_instance");
    for (size_t i = 1; i < primary.size(); ++i) {
        const Sample s = primary[i];
        if (s.value != primary[i - 1].value && inside(review.airborne, s.t))
            review.add(FindingKind::ekf, Severity::warning, {s.t, s.t, s.value}, 0, "",
                       "The autopilot switched to estimator " + number(s.value, 0)
                           + ": it judged the one in use worse; look at that one's sensors");
    }
}

} // namespace

void checkEstimator(ReviewContext& review)
{
    bool any = false;
    const double warning = threshold("ekf.ratio.warning"), failure = threshold("ekf.ratio.failure");
    for (const Ratio& ratio : RATIOS) {
        for (int instance : review.instances(ratio.message, ratio.field)) {
            any = true;
            const std::string lane = instance > 0 ? " (estimator " + std::to_string(instance) + ")" : "";
            const std::string what = ratio.what;
            const bool variance = ratio.variance;
            levelFindings(review, review.field(ratio.message, ratio.field, instance), review.airborne, warning, failure, true,
                          threshold("ekf.seconds"), FindingKind::ekf, "", [&](Severity severity, double value) {
                              const std::string measure = variance ? " variance" : " test ratio";
                              return "The estimator's " + what + measure + lane + " reached " + number(value, 2)
                                     + (severity == Severity::failure ? ": it rejected the " + what + " data and the position may be wrong"
                                                                      : ": at the autopilot's EKF failsafe level");
                          });
        }
    }
    for (const Faults& faults : FAULTS)
        for (int instance : review.instances(faults.message, faults.field)) {
            any = true;
            const FieldSeries flags = review.field(faults.message, faults.field, instance);
            for (const Span& span : capSpans(spansWhere(flags, review.airborne, [](double v) { return v != 0; }, Worst::highest, 0.0)))
                review.add(FindingKind::ekf, Severity::failure, span, 0, "",
                           "The estimator reported numerical faults (flags " + number(span.value, 0) + "): its output was not to be trusted");
        }
    laneSwitches(review);
    if (!any)
        review.note("no estimator health data in this log");
}

} // namespace flightreplay::review
