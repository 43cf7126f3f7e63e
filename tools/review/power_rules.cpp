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
    if (const FieldSeries cells = review.field("battery_status", "cell_count"))
        for (const Sample s : cells)
            if (s.value >= 1 && s.value <= 24)
                return static_cast<int>(s.value);
    double highest = 0;
    for (const Sample& s : voltage)
        highest = std::max(highest, s.value);
    // Under one cell or over 24 the stream is no battery's voltage.
    return highest < 2.5 || highest > 24 * 4.35 ? 0 : static_cast<int>(std::ceil(highest / 4.35));
}

// How far a cell's voltage fell below its highest of the airborne samples
// of the 5 s before, sample by sample.
class Sag {
public:
    explicit Sag(const Windows& airborne) : airborne_(airborne) {}
    // The sag at this sample (seconds, volts a cell, in time order); NaN at
    // a sample with none before it in the air.
    double at(double t, double perCell)
    {
        if (!airborne_.inside(t)) {
            recent_.clear();
            return NAN;
        }
        while (!recent_.empty() && recent_.front().t < t - 5.0)
            recent_.pop_front();
        const double sag = recent_.empty() ? NAN : recent_.front().value - perCell;
        while (!recent_.empty() && recent_.back().value <= perCell)
            recent_.pop_back();
        recent_.push_back({t, perCell});
        return sag;
    }

private:
    WindowCursor airborne_;
    std::deque<Sample> recent_; // decreasing values, oldest first
};

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
        const std::string pack = " (" + std::to_string(cells) + " cells)";
        LevelSpans low(review.airborne, threshold("battery.cell.warning"), threshold("battery.cell.failure"), false,
                       threshold("battery.low.seconds"));
        LevelSpans sagged(review.airborne, threshold("battery.sag.warning"), threshold("battery.sag.failure"), true, 0.0);
        Sag sag(review.airborne);
        for (const Sample& s : voltage) {
            if (!(s.value > 0)) // 0 is "unknown" in PX4's battery_status
                continue;
            const double perCell = s.value / cells;
            low.add(s.t, perCell);
            const double fall = sag.at(s.t, perCell);
            if (!std::isnan(fall))
                sagged.add(s.t, fall);
        }
        levelFindings(review, std::move(low), FindingKind::battery, "V", [&](Severity severity, double value) {
            return "Battery down to " + number(value, 2) + " V a cell" + pack
                   + (severity == Severity::failure ? ": empty, land at once" : ": at the low-battery failsafe level");
        });
        levelFindings(review, std::move(sagged), FindingKind::battery, "V", [&](Severity, double value) {
            return "Battery voltage sagged " + number(value, 2) + " V a cell under load" + pack + ": a weak, cold or too small pack";
        });
    }
    for (const Remaining& r : REMAINING) {
        const FieldSeries s = review.field(r.message, r.field);
        if (!s)
            continue;
        LevelSpans left(review.airborne, threshold("battery.remaining.warning"), threshold("battery.remaining.failure"), false,
                        threshold("gps.seconds"));
        for (const Sample sample : s)
            if (sample.value >= 0) // -1: unknown
                left.add(sample.t, sample.value * r.percent);
        levelFindings(review, std::move(left), FindingKind::battery, "%", [](Severity, double value) {
            return "Battery charge left fell to " + number(value, 0) + " %";
        });
        break;
    }
}

void checkBoardPower(ReviewContext& review)
{
    for (const Supply& supply : SUPPLIES) {
        const FieldSeries raw = review.field(supply.message, supply.field);
        if (!raw)
            continue;
        // The airborne samples that tell a voltage.
        const auto judged = [&](WindowCursor& airborne, const Sample& s) { return s.value > 0 && airborne.inside(s.t); };
        std::vector<double> values;
        WindowCursor first(review.airborne);
        for (const Sample s : raw)
            if (judged(first, s))
                values.push_back(s.value);
        if (values.empty())
            return;
        std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2), values.end());
        // Older logs and MAVLink give millivolts.
        const double scale = values[values.size() / 2] > 100 ? 0.001 : 1.0;
        const double low = threshold("power.vcc.failure");
        SpanFinder dips(review.airborne, Worst::lowest, 0.0);
        Sample lo{0, INFINITY}, hi{0, -INFINITY}; // the first lowest, the last highest
        WindowCursor second(review.airborne);
        for (const Sample s : raw) {
            if (!judged(second, s))
                continue;
            const double v = s.value * scale;
            dips.add(s.t, v, v < low);
            if (v < lo.value)
                lo = {s.t, v};
            if (v >= hi.value)
                hi = {s.t, v};
        }
        for (const Span& span : capSpans(dips.spans()))
            review.add(FindingKind::power, Severity::failure, span, low, "V",
                       "The board's supply (Vcc) dipped to " + number(span.value, 2) + " V: risk of a brown-out");
        const double range = hi.value - lo.value;
        if (range > threshold("power.vcc.range"))
            review.add(FindingKind::power, Severity::warning, {std::min(lo.t, hi.t), std::max(lo.t, hi.t), range},
                       threshold("power.vcc.range"), "V",
                       "The board's supply (Vcc) changed by " + number(range, 2) + " V in flight (" + number(lo.value, 2) + " to "
                           + number(hi.value, 2) + " V): a noisy or overloaded power module");
        return;
    }
    review.note("no board supply voltage (Vcc) in this log");
}

} // namespace flightreplay::review
