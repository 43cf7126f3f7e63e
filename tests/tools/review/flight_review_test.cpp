#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <string>

#include "review_logs.h"
#include "tools/readers/read_flight.h"
#include "tools/review/flight_review.h"
#include "tools/review/review_thresholds.h"

using namespace flightreplay;
using review::FindingKind;
using review::Severity;

namespace {

constexpr double FIRST_FIX = 1.0; // boot seconds of the generated flights' first fix

struct Format {
    const char* name;
    std::string (*write)(const reader_test::Trouble&, double);
};

const Format FORMATS[] = {
    {"DataFlash", reader_test::dataflashReviewFlight}, {"ULog", reader_test::ulogReviewFlight}, {"tlog", reader_test::tlogReviewFlight}};

review::Review reviewOf(const std::string& bytes)
{
    return review::reviewFlight(readers::readFlightBytes(bytes, {}));
}

std::string described(const review::Review& r)
{
    return review::reviewTable(r);
}

} // namespace

TEST(FlightReview, EachTroubleShowsWithItsSpan)
{
    struct Case {
        const char* what;
        bool reader_test::Trouble::*trouble;
        FindingKind kind;
        Severity severity;
        double start, end; // boot seconds; the span found must lie within a second of these
        const char* threshold; // the table's, where the finding reports one
    };
    const Case cases[] = {
        {"vibration", &reader_test::Trouble::vibration, FindingKind::vibration, Severity::failure, 40, 50, nullptr},
        {"clipping", &reader_test::Trouble::clipping, FindingKind::clipping, Severity::failure, 40, 50, "clipping.failure"},
        {"estimator", &reader_test::Trouble::estimator, FindingKind::ekf, Severity::failure, 60, 65, "ekf.ratio.failure"},
        {"board supply", &reader_test::Trouble::supply, FindingKind::power, Severity::failure, 55, 56, "power.vcc.failure"},
        {"GPS loss", &reader_test::Trouble::gpsLoss, FindingKind::gps, Severity::failure, 70, 75, "gps.fix.failure"},
        {"GPS jump", &reader_test::Trouble::gpsJump, FindingKind::gps, Severity::failure, 80, 81, "gps.jump"},
        {"battery", &reader_test::Trouble::battery, FindingKind::battery, Severity::failure, 90, 140, "battery.cell.failure"},
        {"failsafe", &reader_test::Trouble::failsafe, FindingKind::failsafe, Severity::failure, 95, 97, nullptr},
        {"motor limit", &reader_test::Trouble::motorLimit, FindingKind::motors, Severity::failure, 100, 105, "motors.limit.pwm"},
        {"motor stopped", &reader_test::Trouble::motorStop, FindingKind::motors, Severity::failure, 110, 112, "motors.stopped.pwm"},
        {"compass", &reader_test::Trouble::compass, FindingKind::compass, Severity::failure, 20, 135, "compass.throttle.failure"},
    };
    for (const Format& format : FORMATS)
        for (const Case& c : cases) {
            // A telemetry log carries no compass.
            if (std::string(format.name) == "tlog" && c.kind == FindingKind::compass)
                continue;
            reader_test::Trouble trouble;
            trouble.*c.trouble = true;
            const review::Review r = reviewOf(format.write(trouble, 0.1));
            bool found = false;
            for (const review::Finding& f : r.findings) {
                if (f.kind != c.kind || f.severity != c.severity)
                    continue;
                found = std::fabs(f.start - (c.start - FIRST_FIX)) <= 1.0 && std::fabs(f.end - (c.end - FIRST_FIX)) <= 1.0;
                if (!found)
                    continue;
                if (c.threshold) {
                    EXPECT_EQ(f.threshold, review::threshold(c.threshold)) << format.name << " " << c.what;
                }
                break;
            }
            EXPECT_TRUE(found) << format.name << ": no " << c.what << " finding from " << c.start - FIRST_FIX << " s to "
                               << c.end - FIRST_FIX << " s in\n"
                               << described(r);
        }
}

TEST(FlightReview, HealthyFlightsRaiseNoAlarm)
{
    for (const Format& format : FORMATS) {
        const review::Review r = reviewOf(format.write({}, 0.1));
        EXPECT_TRUE(r.findings.empty()) << format.name << ":\n" << described(r);
    }
}

TEST(FlightReview, VibrationLevelsFollowTheTable)
{
    // The generated vibration sits between the warning and failure levels
    // of neither scale by accident: its levels are checked against the table.
    EXPECT_LT(12.0, review::threshold("vibration.ardupilot.warning"));
    EXPECT_GT(70.0, review::threshold("vibration.ardupilot.failure"));
    EXPECT_LT(2.0, review::threshold("vibration.px4.warning"));
    EXPECT_GT(12.0, review::threshold("vibration.px4.failure"));
}

TEST(FlightReview, CausesComeBeforeConsequencesAndSpansMerge)
{
    reader_test::Trouble trouble;
    trouble.vibration = trouble.clipping = true;
    for (const Format& format : FORMATS) {
        const review::Review r = reviewOf(format.write(trouble, 0.1));
        ASSERT_GE(r.findings.size(), 2u) << format.name;
        EXPECT_EQ(r.findings[0].kind, FindingKind::vibration) << format.name << ":\n" << described(r);
        for (size_t i = 1; i < r.findings.size(); ++i)
            EXPECT_LE(std::floor(r.findings[i - 1].start), std::floor(r.findings[i].start)) << format.name;
        // Ten seconds of trouble sampled at 10 Hz, and two IMUs: one span each.
        size_t vibration = 0;
        for (const review::Finding& f : r.findings)
            vibration += f.kind == FindingKind::vibration;
        EXPECT_LE(vibration, 6u) << format.name;
    }
}

TEST(FlightReview, FlightsWithoutTheDataSaySoInNotes)
{
    struct Case {
        const char* what;
        std::string bytes;
        const char* note;
    };
    const Case cases[] = {
        {"GPX", "<?xml version=\"1.0\"?><gpx><trk><trkseg><trkpt lat=\"48.1\" lon=\"11.5\"><ele>500</ele><time>2024-01-01T10:00:00Z</time></trkpt>"
                "<trkpt lat=\"48.2\" lon=\"11.5\"><ele>510</ele><time>2024-01-01T10:01:00Z</time></trkpt></trkseg></trk></gpx>",
         "no vibration data in this log"},
        {"GPX", "<?xml version=\"1.0\"?><gpx><trk><trkseg><trkpt lat=\"48.1\" lon=\"11.5\"><ele>500</ele><time>2024-01-01T10:00:00Z</time></trkpt>"
                "</trkseg></trk></gpx>",
         "no estimator health data in this log"},
    };
    for (const Case& c : cases) {
        const review::Review r = reviewOf(c.bytes);
        EXPECT_NE(std::find(r.notes.begin(), r.notes.end(), c.note), r.notes.end()) << c.what << ":\n" << described(r);
        for (size_t i = 0; i < r.notes.size(); ++i)
            for (size_t j = i + 1; j < r.notes.size(); ++j)
                EXPECT_NE(r.notes[i], r.notes[j]);
    }
}

TEST(FlightReview, RealLogsSayWhatTheirFieldsShow)
{
    const std::string small = REAL_LOG_DIR "/sample_log_small.ulg", events = REAL_LOG_DIR "/sample_px4_events.ulg";
    if (!std::filesystem::exists(small) || !std::filesystem::exists(events))
        GTEST_SKIP() << "the real logs are not in " << REAL_LOG_DIR;
    // The small log's receiver reports a jamming indicator of 49 to 57
    // throughout (read with --field): above the fine level, below the bad one.
    const review::Review a = review::reviewFlight(readers::readFlightFile(small, {}));
    ASSERT_EQ(a.findings.size(), 1u) << described(a);
    EXPECT_EQ(a.findings[0].kind, FindingKind::gps);
    EXPECT_EQ(a.findings[0].severity, Severity::warning);
    EXPECT_EQ(a.findings[0].threshold, review::threshold("gps.jamming.warning"));
    EXPECT_EQ(a.findings[0].value, 53);
    // The simulated flight flies without RC: its lost-RC flag is set from the
    // first sample, which is no link lost in flight.
    const review::Review b = review::reviewFlight(readers::readFlightFile(events, {}));
    EXPECT_TRUE(b.findings.empty()) << described(b);
    EXPECT_NE(std::find(b.notes.begin(), b.notes.end(), "the RC link was never up in this log"), b.notes.end());
}

TEST(FlightReview, JsonCarriesEveryFindingAndNote)
{
    review::Review r;
    r.findings.push_back({FindingKind::vibration, Severity::failure, 1.5, 2.25, 61.5, 60, "m/s²", "Shaking \"hard\""});
    r.notes.push_back("no compass data in this log");
    EXPECT_EQ(review::reviewJson(r),
              "{\"findings\": [\n  {\"kind\": \"vibration\", \"severity\": \"failure\", \"start\": 1.500, \"end\": 2.250, \"value\": 61.5, "
              "\"threshold\": 60, \"unit\": \"m/s²\", \"text\": \"Shaking \\\"hard\\\"\"}\n], \"notes\": [\"no compass data in this log\"]}\n");
    EXPECT_EQ(review::reviewJson({}), "{\"findings\": [], \"notes\": []}\n");
}

TEST(FlightReview, TheGuideReproducesTheThresholdTable)
{
    std::ifstream in(REVIEW_GUIDE);
    const std::string guide((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(guide.empty()) << REVIEW_GUIDE;
    for (const review::Threshold& t : review::reviewThresholds()) {
        char row[512];
        std::snprintf(row, sizeof row, "| `%s` | %g | %s | %s |\n", t.id, t.value, t.unit, t.source);
        EXPECT_NE(guide.find(row), std::string::npos) << "missing or different: " << row;
    }
}
