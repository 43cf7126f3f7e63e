#include <algorithm>
#include <cmath>
#include <deque>

#include "tools/review/review_rules.h"
#include "tools/review/review_thresholds.h"

namespace flightreplay::review {

using namespace flight;

namespace {

// Cells in series: the log's count, else the most the highest voltage can
// hold at 4.35 V a cell (high-voltage packs charge to that).
int cellsOf(const ReviewContext& review, const Series& voltage)
{
    if (const Series* cells = review.field("battery_status", "cell_count"))
        for (const Sample& s : *cells)
            if (s.value >= 1 && s.value <= 24)
                return static_cast<int>(s.value);
    double highest = 0;
    for (const Sample& s : voltage)
        highest = std::max(highest, s.value);
    // Under one cell or over 24 the stream is no battery's voltage.
    return highest < 2.5 || highest > 24 * 4.35 ? 0 : static_cast<int>(std::ceil(highest / 4.35));
}

// At each sample, how far the voltage fell below its highest of the
// airborne samples of the 5 s before.
Series sagOf(const ReviewContext& review, const Series& perCell)
{
    Series out;
    std::deque<Sample> recent; // decreasing values, oldest first
    for (const Sample& s : perCell) {
        if (!inside(review.airborne, s.t)) {
            recent.clear();
            continue;
        }
        while (!recent.empty() && recent.front().t < s.t - 5.0)
            recent.pop_front();
        if (!recent.empty())
            out.push_back({s.t, recent.front().value - s.value});
        while (!recent.empty() && recent.back().value <= s.value)
            recent.pop_back();
        recent.push_back(s);
    }
    return out;
}

struct Remaining {
    const char* message;
    const char* field;
    double percent; // per stored unit
};

const Remaining REMAINING[] = {
    {"battery_status", "remaining", 100.0}, {"BAT", "RemPct", 1.0}, {"SYS_STATUS", "battery_remaining", 1.0}};

struct Supply {
    const char* message;
    const char* field;
};

const Supply SUPPLIES[] = {{"POWR", "Vcc"}, {"CURR", "Vcc"}, {"system_power", "voltage5v_v"}, {"POWER_STATUS", "Vcc"}, {"HWSTATUS", "Vcc"}};

} // namespace

void checkBattery(ReviewContext& review)
{
    const Series& voltage = review.flight.voltage;
    const int cells = cellsOf(review, voltage);
    if (cells == 0) {
        review.note("no battery voltage in this log");
    } else {
        Series perCell;
        for (const Sample& s : voltage)
            if (s.value > 0) // 0 is "unknown" in PX4's battery_status
                perCell.push_back({s.t, s.value / cells});
        const std::string pack = " (" + std::to_string(cells) + " cells)";
        levelFindings(review, perCell, review.airborne, threshold("battery.cell.warning"), threshold("battery.cell.failure"), false,
                      threshold("battery.low.seconds"), FindingKind::battery, "V", [&](Severity severity, double value) {
                          return "Battery down to " + number(value, 2) + " V a cell" + pack
                                 + (severity == Severity::failure ? ": empty, land at once" : ": at the low-battery failsafe level");
                      });
        levelFindings(review, sagOf(review, perCell), review.airborne, threshold("battery.sag.warning"),
                      threshold("battery.sag.failure"), true, 0.0, FindingKind::battery, "V", [&](Severity, double value) {
                          return "Battery voltage sagged " + number(value, 2) + " V a cell under load" + pack
                                 + ": a weak, cold or too small pack";
                      });
    }
    for (const Remaining& r : REMAINING) {
        const Series* s = review.field(r.message, r.field);
        if (!s)
            continue;
        Series percent;
        for (const Sample& sample : *s)
            if (sample.value >= 0) // -1: unknown
                percent.push_back({sample.t, sample.value * r.percent});
        levelFindings(review, percent, review.airborne, threshold("battery.remaining.warning"), threshold("battery.remaining.failure"),
                      false, threshold("gps.seconds"), FindingKind::battery, "%", [](Severity, double value) {
                          return "Battery charge left fell to " + number(value, 0) + " %";
                      });
        break;
    }
}

void checkBoardPower(ReviewContext& review)
{
    for (const Supply& supply : SUPPLIES) {
        const Series* raw = review.field(supply.message, supply.field);
        if (!raw)
            continue;
        Series vcc;
        for (const Sample& s : *raw)
            if (s.value > 0 && inside(review.airborne, s.t))
                vcc.push_back(s);
        if (vcc.empty())
            return;
        std::vector<double> values;
        for (const Sample& s : vcc)
            values.push_back(s.value);
        std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2), values.end());
        // Older logs and MAVLink give millivolts.
        if (values[values.size() / 2] > 100)
            for (Sample& s : vcc)
                s.value *= 0.001;
        const double low = threshold("power.vcc.failure");
        for (const Span& span : capSpans(spansWhere(vcc, review.airborne, [low](double v) { return v < low; },
                                                    [](double a, double b) { return a < b; }, 0.0),
                                         3))
            review.add(FindingKind::power, Severity::failure, span, low, "V",
                       "The board's supply (Vcc) dipped to " + number(span.value, 2) + " V: risk of a brown-out");
        const auto [lo, hi] = std::minmax_element(vcc.begin(), vcc.end(), [](const Sample& a, const Sample& b) { return a.value < b.value; });
        const double range = hi->value - lo->value;
        if (range > threshold("power.vcc.range"))
            review.add(FindingKind::power, Severity::warning, {std::min(lo->t, hi->t), std::max(lo->t, hi->t), range},
                       threshold("power.vcc.range"), "V",
                       "The board's supply (Vcc) changed by " + number(range, 2) + " V in flight (" + number(lo->value, 2) + " to "
                           + number(hi->value, 2) + " V): a noisy or overloaded power module");
        return;
    }
    review.note("no board supply voltage (Vcc) in this log");
}

} // namespace flightreplay::review
