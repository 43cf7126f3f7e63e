#include <algorithm>
#include <cmath>

#include "log/geography.h"
#include "tools/review/review_rules.h"
#include "tools/review/review_thresholds.h"

namespace flightreplay::review {

using namespace flight;

namespace {

// The level given the samples of series taken while the flight had a 3-D
// fix, scaled: accuracy figures mean nothing without one (receivers send
// sentinels then).
LevelSpans whileFixed(const ReviewContext& review, FieldSeries series, double scale, double unknown, LevelSpans level)
{
    SeriesCursor fix(review.flight.fixMode);
    const double fixed = threshold("gps.fix.warning");
    for (const Sample s : series)
        if (s.value != unknown && fix.at(s.t) >= fixed)
            level.add(s.t, s.value * scale);
    return level;
}

// Whether a fix moved surely less than allowed metres: by a bound of the
// distance along both axes (the east one as long as at the equator) well
// short of it. Most fixes do, and need no trigonometry then.
bool surelyWithin(double lastLat, double lastLon, double lat, double lon, double allowed)
{
    const double bound = (std::fabs(lat - lastLat) + std::fabs(lon - lastLon)) * MEAN_EARTH_RADIUS * RADIANS_PER_DEGREE;
    return bound * (1 + 1e-9) + 1e-6 < allowed;
}

struct Receiver {
    const char* message;
    const char* lat;
    const char* lon;
    const char* speed;
    double degrees; // per stored unit
    double metresPerSecond;
};

const Receiver RECEIVERS[] = {
    {"GPS", "Lat", "Lng", "Spd", 1.0, 1.0},
    {"vehicle_gps_position", "lat", "lon", "vel_m_s", 1e-7, 1.0},
    {"vehicle_gps_position", "latitude_deg", "longitude_deg", "vel_m_s", 1.0, 1.0},
    {"sensor_gps", "lat", "lon", "vel_m_s", 1e-7, 1.0},
    {"sensor_gps", "latitude_deg", "longitude_deg", "vel_m_s", 1.0, 1.0},
    {"GPS_RAW_INT", "lat", "lon", "vel", 1e-7, 0.01},
};

} // namespace

void checkGpsFix(ReviewContext& review)
{
    const Series& fix = review.flight.fixMode;
    if (fix.empty()) {
        review.note("no GPS fix type in this log");
        return;
    }
    const double best = std::max_element(fix.begin(), fix.end(), [](const Sample& a, const Sample& b) { return a.value < b.value; })->value;
    if (best < threshold("gps.fix.warning")) {
        review.add(FindingKind::gps, Severity::failure, {fix.front().t, fix.back().t, best}, threshold("gps.fix.warning"), "",
                   "The GPS never had a 3-D fix in this log (best fix type " + number(best, 0) + ")");
        return;
    }
    levelFindings(review, fix, review.airborne, threshold("gps.fix.warning"), threshold("gps.fix.failure"), false,
                  threshold("gps.seconds"), FindingKind::gps, "", [](Severity severity, double value) {
                      return severity == Severity::failure ? "The GPS lost its fix in flight (fix type " + number(value, 0) + ")"
                                                           : "The GPS fell below a 3-D fix in flight (fix type " + number(value, 0) + ")";
                  });
    if (!review.flight.satellites.empty())
        levelFindings(review, review.flight.satellites, review.airborne, threshold("gps.satellites.warning"),
                      threshold("gps.satellites.failure"), false, threshold("gps.seconds"), FindingKind::gps, "",
                      [](Severity, double value) {
                          return "Only " + number(value, 0) + " satellites in use: the position may wander or jump";
                      });
}

void checkGpsQuality(ReviewContext& review)
{
    const double seconds = threshold("gps.seconds");
    bool quality = false;
    const auto hdop = [&](FieldSeries series, double scale, double unknown) {
        quality = true;
        const LevelSpans level(review.airborne, threshold("gps.hdop.warning"), threshold("gps.hdop.failure"), true, seconds);
        levelFindings(review, whileFixed(review, series, scale, unknown, level), FindingKind::gps, "", [](Severity, double value) {
            return "GPS HDOP rose to " + number(value, 1) + ": poor satellite geometry, the position is less accurate";
        });
    };
    if (const FieldSeries s = review.field("GPS", "HDop"))
        hdop(s, 1.0, NAN);
    if (const FieldSeries s = review.field("GPS_RAW_INT", "eph"))
        hdop(s, 0.01, 65535);
    for (const char* topic : {"vehicle_gps_position", "sensor_gps"}) {
        const FieldSeries eph = review.field(topic, "eph");
        if (!eph)
            continue;
        quality = true;
        const LevelSpans level(review.airborne, threshold("gps.eph.warning"), threshold("gps.eph.failure"), true, seconds);
        levelFindings(review, whileFixed(review, eph, 1.0, NAN, level), FindingKind::gps, "m", [](Severity, double value) {
            return "The GPS's horizontal accuracy grew to " + number(value, 1) + " m";
        });
        break;
    }
    bool jamming = false;
    for (const auto& [message, field] : {std::pair{"vehicle_gps_position", "jamming_indicator"}, std::pair{"sensor_gps", "jamming_indicator"},
                                         std::pair{"UBX1", "jamInd"}}) {
        const FieldSeries s = review.field(message, field);
        if (!s || jamming)
            continue;
        jamming = true;
        levelFindings(review, s, review.airborne, threshold("gps.jamming.warning"), threshold("gps.jamming.failure"), true, seconds,
                      FindingKind::gps, "", [](Severity, double value) {
                          return "The GPS receiver reported interference (jamming indicator " + number(value, 0) + ")";
                      });
    }
    for (const char* topic : {"vehicle_gps_position", "sensor_gps"})
        for (const char* field : {"jamming_state", "spoofing_state"})
            if (const FieldSeries s = review.field(topic, field))
                for (const Span& span : capSpans(spansWhere(s, review.airborne, [](double v) { return v == 3; }, Worst::highest, 0.0)))
                    review.add(FindingKind::gps, Severity::warning, span, 3, "",
                               std::string("The GPS receiver detected ") + (field[0] == 'j' ? "jamming" : "spoofing"));
    if (!quality)
        review.note("no GPS accuracy (HDOP) in this log");
}

void checkGpsJumps(ReviewContext& review)
{
    // The estimators' own word: ArduPilot's EKF_STATUS_REPORT bit 15, PX4's
    // ESTIMATOR_STATUS bit 10.
    for (const auto& [message, bit] : {std::pair{"EKF_STATUS_REPORT", 32768u}, std::pair{"ESTIMATOR_STATUS", 1024u}}) {
        const FieldSeries flags = review.field(message, "flags");
        if (!flags)
            continue;
        SpanFinder glitching(review.airborne, Worst::highest, 0.0);
        for (const Sample s : flags) {
            const bool set = s.value >= 0 && s.value < 65536 && (static_cast<unsigned>(s.value) & bit);
            glitching.add(s.t, set ? 1.0 : 0.0, set);
        }
        for (const Span& span : capSpans(glitching.spans()))
            review.add(FindingKind::gps, Severity::failure, span, 0, "", "The estimator flagged a GPS glitch");
    }
    for (const Receiver& r : RECEIVERS) {
        const FieldSeries lat = review.field(r.message, r.lat);
        const FieldSeries lon = review.field(r.message, r.lon);
        if (!lat || !lon || lat.size() != lon.size())
            continue;
        const FieldSeries speed = review.field(r.message, r.speed);
        const double jump = threshold("gps.jump");
        // How far each fix lies beyond what the speed explains, metres.
        SpanFinder excess(review.airborne, Worst::highest, 0.0);
        SeriesCursor fix(review.flight.fixMode);
        SeriesCursor speedAt(speed);
        const double fixed = threshold("gps.fix.warning");
        // The previous fix kept: its place, time and speed (m/s, 0 unknown).
        bool have = false;
        double lastLat = 0, lastLon = 0, lastT = 0, lastSpeed = 0;
        for (size_t i = 0; i < lat.size(); ++i) {
            const double la = lat[i].value * r.degrees, lo = lon[i].value * r.degrees, t = lat[i].t;
            if (!hasPlace(la, lo) || !(fix.at(t) >= fixed))
                continue;
            double v = speed ? speedAt.at(t) * r.metresPerSecond : 0.0;
            if (!std::isfinite(v))
                v = 0;
            if (have && t - lastT < 5.0) {
                const double allowance = (std::max(v, lastSpeed) + 10.0) * (t - lastT);
                if (surelyWithin(lastLat, lastLon, la, lo, jump + allowance)) {
                    excess.add(t, 0.0, false);
                } else {
                    const LocalOffset offset = localOffsetMetres(lastLat, lastLon, la, lo);
                    const double beyond = std::hypot(offset.east, offset.north) - allowance;
                    excess.add(t, beyond, beyond > jump);
                }
            }
            have = true;
            lastLat = la, lastLon = lo, lastT = t, lastSpeed = v;
        }
        for (const Span& span : capSpans(excess.spans()))
            review.add(FindingKind::gps, Severity::failure, span, jump, "m",
                       "GPS glitch: the position jumped " + number(span.value, 0) + " m further than the speed explains");
        return;
    }
}

} // namespace flightreplay::review
