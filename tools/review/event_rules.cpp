#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/review/review_rules.h"
#include "tools/review/review_thresholds.h"

namespace flightreplay::review {

using namespace flight;

namespace {

// ArduPilot's error subsystems (AP_Logger's LogErrorSubsystem).
struct Subsystem {
    int id;
    FindingKind kind;
    Severity severity;
    const char* text; // what code != 0 means
};

const Subsystem SUBSYSTEMS[] = {
    {1, FindingKind::error, Severity::warning, "Main loop: the sensors were read late (INS delay)"},
    {2, FindingKind::link, Severity::warning, "RC receiver: no update for 2 s"},
    {3, FindingKind::compass, Severity::warning, "Compass failed or unhealthy"},
    {5, FindingKind::failsafe, Severity::failure, "Radio (RC) failsafe"},
    {6, FindingKind::battery, Severity::failure, "Battery failsafe"},
    {7, FindingKind::failsafe, Severity::failure, "GPS failsafe"},
    {8, FindingKind::failsafe, Severity::failure, "Ground station link failsafe"},
    {9, FindingKind::failsafe, Severity::warning, "Fence breached"},
    {10, FindingKind::error, Severity::warning, "Could not enter the flight mode asked for (no good position estimate)"},
    {11, FindingKind::gps, Severity::failure, "GPS glitch"},
    {12, FindingKind::failsafe, Severity::failure, "Crash check: crash or loss of control detected"},
    {13, FindingKind::error, Severity::warning, "Flip abandoned"},
    {15, FindingKind::error, Severity::warning, "Parachute not released"},
    {16, FindingKind::ekf, Severity::failure, "EKF check: bad estimator variance"},
    {17, FindingKind::ekf, Severity::failure, "EKF failsafe"},
    {18, FindingKind::error, Severity::warning, "Barometer glitch or unhealthy"},
    {19, FindingKind::error, Severity::failure, "CPU overload watchdog"},
    {20, FindingKind::failsafe, Severity::warning, "ADS-B avoidance acted"},
    {21, FindingKind::error, Severity::warning, "Terrain data missing"},
    {22, FindingKind::error, Severity::warning, "Navigation error"},
    {23, FindingKind::failsafe, Severity::failure, "Terrain failsafe"},
    {24, FindingKind::ekf, Severity::warning, "The autopilot switched estimator lanes"},
    {25, FindingKind::motors, Severity::failure, "Potential thrust loss: a motor or propeller may have failed"},
    {26, FindingKind::failsafe, Severity::failure, "Sensor failsafe"},
    {27, FindingKind::failsafe, Severity::failure, "Leak failsafe"},
    {28, FindingKind::failsafe, Severity::warning, "Pilot input timeout"},
    {29, FindingKind::vibration, Severity::warning, "Vibration compensation switched on"},
    {30, FindingKind::error, Severity::failure, "Internal error"},
    {31, FindingKind::failsafe, Severity::failure, "Dead-reckoning failsafe"},
};

// The armed part and a little after: the disarming that follows a crash
// is still part of the story.
Windows armedAndAfter(const ReviewContext& review)
{
    Windows out = review.armed;
    for (Window& w : out)
        w.end += 2.0;
    normalise(out);
    return out;
}

FindingKind kindOfText(const std::string& text)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::pair<const char*, FindingKind> words[] = {
        {"vibration", FindingKind::vibration}, {"clipping", FindingKind::clipping}, {"ekf", FindingKind::ekf},
        {"estimator", FindingKind::ekf},       {"innovation", FindingKind::ekf},   {"gps", FindingKind::gps},
        {"battery", FindingKind::battery},     {"power", FindingKind::power},      {"motor", FindingKind::motors},
        {"esc", FindingKind::motors},          {"failsafe", FindingKind::failsafe}, {"compass", FindingKind::compass},
        {"mag", FindingKind::compass},         {"rc ", FindingKind::link},         {"link", FindingKind::link},
    };
    for (const auto& [word, kind] : words)
        if (lower.find(word) != std::string::npos)
            return kind;
    return FindingKind::error;
}

// An error number as the log stores it; -1 for what no number can be.
int codeOf(double value)
{
    return value >= 0 && value <= 255 ? static_cast<int>(value) : -1;
}

// Failures where the flags of samples from on were set.
void flagSpans(ReviewContext& review, FieldSeries flags, size_t from, const Windows& windows, FindingKind kind, const std::string& text)
{
    SpanFinder set(windows, Worst::highest, 0.0);
    for (size_t i = from; i < flags.size(); ++i) {
        const Sample s = flags[i];
        set.add(s.t, s.value, s.value != 0);
    }
    for (const Span& span : capSpans(set.spans()))
        review.add(kind, Severity::failure, span, 0, "", text);
}

} // namespace

void checkAutopilotErrors(ReviewContext& review)
{
    const FieldSeries subsystems = review.field("ERR", "Subsys");
    const FieldSeries codes = review.field("ERR", "ECode");
    if (subsystems && codes && subsystems.size() == codes.size()) {
        const Windows windows = armedAndAfter(review);
        size_t added = 0;
        for (size_t i = 0; i < subsystems.size() && added < 30; ++i) {
            const double t = subsystems[i].t;
            const int id = codeOf(subsystems[i].value);
            const int code = codeOf(codes[i].value);
            if (id < 0 || code < 0 || (code == 0 && id != 24) || !inside(windows, t))
                continue;
            double end = t;
            for (size_t j = i + 1; j < subsystems.size(); ++j)
                if (codeOf(subsystems[j].value) == id) {
                    if (codeOf(codes[j].value) == 0)
                        end = subsystems[j].t;
                    break;
                }
            const Subsystem* known = nullptr;
            for (const Subsystem& s : SUBSYSTEMS)
                if (s.id == id)
                    known = &s;
            const std::string text = known ? std::string(known->text) : "Autopilot error in subsystem " + std::to_string(id);
            const std::string detail = id == 24 ? " (now lane " + std::to_string(code) + ")"
                                       : id == 10 ? " (mode " + std::to_string(code) + ")"
                                                  : " (error " + std::to_string(id) + ", code " + std::to_string(code) + ")";
            review.add(known ? known->kind : FindingKind::error, known ? known->severity : Severity::warning, {t, end, static_cast<double>(code)},
                       0, "", text + detail);
            ++added;
        }
    }
    flagSpans(review, review.field("vehicle_status", "failsafe"), 0, armedAndAfter(review), FindingKind::failsafe, "The autopilot was in failsafe");
    if (const FieldSeries status = review.field("HEARTBEAT", "system_status")) {
        const Windows windows = armedAndAfter(review);
        // MAV_STATE_CRITICAL, EMERGENCY and FLIGHT_TERMINATION.
        SpanFinder bad(windows, Worst::highest, 0.0);
        for (const Sample s : status) {
            const bool critical = s.value == 5 || s.value == 6 || s.value == 8;
            bad.add(s.t, critical ? s.value : 0.0, critical);
        }
        for (const Span& span : capSpans(bad.spans()))
            review.add(FindingKind::failsafe, Severity::failure, span, 5, "",
                       span.value == 8 ? "The autopilot terminated the flight"
                       : span.value == 6 ? "The autopilot declared an emergency"
                                         : "The autopilot declared a critical state (a failsafe)");
    }
}

void checkMessages(ReviewContext& review)
{
    // DataFlash errors come as ERR numbers, read by checkAutopilotErrors.
    if (review.flight.format == FlightFormat::dataflash)
        return;
    const Windows windows = armedAndAfter(review);
    struct Said {
        std::string text;
        int severity;
        Span span;
        int count;
    };
    std::vector<Said> said;
    const double merge = threshold("span.merge");
    for (const FlightMessage& m : review.flight.messages) {
        if (m.severity > 3 || !inside(windows, m.t))
            continue;
        auto same = std::find_if(said.rbegin(), said.rend(), [&](const Said& s) { return s.text == m.text && m.t - s.span.end < merge; });
        if (same != said.rend()) {
            same->span.end = m.t;
            same->severity = std::min(same->severity, m.severity);
            ++same->count;
        } else if (said.size() < 30) {
            said.push_back({m.text, m.severity, {m.t, m.t, static_cast<double>(m.severity)}, 1});
        }
    }
    for (const Said& s : said)
        review.add(kindOfText(s.text), s.severity <= 2 ? Severity::failure : Severity::warning, {s.span.start, s.span.end, static_cast<double>(s.severity)},
                   3, "", "The autopilot said: " + s.text + (s.count > 1 ? " (" + std::to_string(s.count) + " times)" : ""));
}

void checkLink(ReviewContext& review)
{
    bool any = false;
    const Windows windows = armedAndAfter(review);
    for (const FlightEvent& e : review.flight.events) {
        if (e.kind != FlightEventKind::linkLost || !inside(windows, e.t))
            continue;
        any = true;
        const double limit = threshold("link.lost.failure");
        const bool failed = e.duration >= limit;
        review.add(FindingKind::link, failed ? Severity::failure : Severity::warning, {e.t, e.t + e.duration, e.duration},
                   failed ? limit : 0, "s", "No telemetry from the vehicle for " + number(e.duration, 1) + " s");
    }
    const double fade = threshold("link.fade.warning");
    for (const auto& [signal, noise, side] : {std::tuple{"rssi", "noise", "the ground"}, std::tuple{"remrssi", "remnoise", "the vehicle"}}) {
        const FieldSeries s = review.field("RADIO_STATUS", signal);
        const FieldSeries n = review.field("RADIO_STATUS", noise);
        if (!s || !n)
            continue;
        any = true;
        // The signal's margin over the noise floor.
        LevelSpans margin(windows, fade, -INFINITY, false, threshold("gps.seconds"));
        SeriesCursor noiseAt(n);
        for (const Sample sample : s) {
            const double floor = noiseAt.at(sample.t);
            if (std::isfinite(floor) && sample.value > 0)
                margin.add(sample.t, sample.value - floor);
        }
        const std::string where = side;
        levelFindings(review, std::move(margin), FindingKind::link, "", [&](Severity, double value) {
            return "The telemetry radio's signal at " + where + " came within " + number(value, 0) + " of the noise: the link was about to drop";
        });
    }
    for (const auto& [message, field] : {std::pair{"input_rc", "rc_lost"}, std::pair{"failsafe_flags", "manual_control_signal_lost"},
                                         std::pair{"vehicle_status", "rc_signal_lost"}}) {
        const FieldSeries s = review.field(message, field);
        if (!s)
            continue;
        any = true;
        // A link never up (a flight without RC, a simulation) is not lost.
        const auto up = std::find_if(s.begin(), s.end(), [](const Sample& sample) { return sample.value == 0; });
        if (up == s.end())
            review.note("the RC link was never up in this log");
        else
            flagSpans(review, s, up.index(), windows, FindingKind::link, "The RC link was lost");
        break;
    }
    if (!any && review.flight.format == FlightFormat::ulog)
        review.note("no radio link data in this log");
}

} // namespace flightreplay::review
