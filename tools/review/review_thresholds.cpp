#include "tools/review/review_thresholds.h"

#include <stdexcept>

namespace flightreplay::review {

const std::vector<Threshold>& reviewThresholds()
{
    static const std::vector<Threshold> table = {
        {"vibration.ardupilot.warning", 30, "m/s²", "ArduPilot's vibration guide: above 30 may cause trouble (VIBE, MAVLink VIBRATION)"},
        {"vibration.ardupilot.failure", 60, "m/s²", "ArduPilot's vibration guide: above 60 almost always breaks position and altitude hold"},
        {"vibration.px4.warning", 4.905, "m/s²", "PX4 Flight Review's orange band for accel_vibration_metric (0.5 g)"},
        {"vibration.px4.failure", 9.81, "m/s²", "PX4 Flight Review's red band for accel_vibration_metric (1 g)"},
        {"vibration.seconds", 1, "s", "ours: a level held this long, not a single jolt"},
        {"clipping.warning", 1, "", "ArduPilot's vibration guide: clipping should not rise in flight"},
        {"clipping.failure", 100, "", "ArduPilot's vibration guide: under 100 in all is probably a hard landing, more is serious"},
        {"ekf.ratio.warning", 0.8, "", "ArduPilot's EKF failsafe level FS_EKF_THRESH default 0.8 (test ratios and variances)"},
        {"ekf.ratio.failure", 1.0, "", "an innovation test ratio above 1 means the measurement is rejected (ArduPilot, PX4)"},
        {"ekf.seconds", 1, "s", "ArduPilot's EKF failsafe: the level held for 1 s"},
        {"gps.fix.warning", 3, "", "below a 3-D fix (fix type 3)"},
        {"gps.fix.failure", 2, "", "no fix at all (fix type below 2)"},
        {"gps.satellites.warning", 6, "", "LogAnalyzer: fewer than 6 satellites warns"},
        {"gps.satellites.failure", 5, "", "LogAnalyzer: fewer than 5 satellites fails"},
        {"gps.hdop.warning", 2.0, "", "ArduPilot's log guide: HDOP above 2.0 is suspicious"},
        {"gps.hdop.failure", 10.0, "", "LogAnalyzer: HDOP above 10 fails"},
        {"gps.eph.warning", 3, "m", "PX4 EKF2_REQ_EPH: the estimator will not start using a GPS less accurate"},
        {"gps.eph.failure", 10, "m", "flight-review-rs: horizontal accuracy worse than 10 m is critical"},
        {"gps.jamming.warning", 40, "", "PX4's log guide: a jamming indicator up to about 40 is fine"},
        {"gps.jamming.failure", 80, "", "PX4's log guide: about 80 and more is too high"},
        {"gps.jump", 20, "m", "ours: a position jump this much beyond what the reported speed (plus 10 m/s) explains"},
        {"gps.seconds", 1, "s", "ours: fix and quality levels held this long"},
        {"battery.cell.warning", 3.5, "V", "ArduPilot Copter's BATT_LOW_VOLT default 10.5 V on 3 cells"},
        {"battery.cell.failure", 3.3, "V", "flight-review-rs: under 3.3 V a cell while armed"},
        {"battery.low.seconds", 10, "s", "ArduPilot's BATT_LOW_TIMER default: a low voltage held 10 s"},
        {"battery.sag.warning", 0.4, "V", "ours: a cell's voltage falling this much within 5 s in flight (a weak or cold pack)"},
        {"battery.sag.failure", 0.7, "V", "ours: a sag this deep brings a healthy cell near its failsafe level"},
        {"battery.remaining.warning", 15, "%", "PX4 BAT_LOW_THR 0.15; dronekit-la fails under 15 %"},
        {"battery.remaining.failure", 7, "%", "PX4 BAT_CRIT_THR 0.07 (commonly return)"},
        {"power.vcc.failure", 4.6, "V", "LogAnalyzer VCC: the board's supply under 4.6 V fails (brown-out)"},
        {"power.vcc.range", 0.3, "V", "LogAnalyzer VCC: the supply changing more than 0.3 V over the flight warns"},
        {"motors.limit.pwm", 1950, "µs", "dronekit-la: within 5 % of the top of a 1000-2000 µs output"},
        {"motors.limit.seconds", 1, "s", "ArduPilot's thrust-loss check: at the limit for 1 s"},
        {"motors.limit.failure.seconds", 3, "s", "ours: at the limit this long, the vehicle had no thrust left to steer with"},
        {"motors.imbalance.warning", 75, "µs", "LogAnalyzer motor balance: a spread over 75 µs warns"},
        {"motors.imbalance.failure", 150, "µs", "LogAnalyzer motor balance: a spread over 150 µs fails"},
        {"motors.stopped.pwm", 1100, "µs", "ours: an output at or under idle"},
        {"motors.others.pwm", 300, "µs", "ours: the others this far above idle are carrying the load"},
        {"motors.stopped.seconds", 0.5, "s", "ours: long enough not to be a glitch of the log"},
        {"compass.throttle.warning", 25, "%", "LogAnalyzer compass: the field changing over 25 % with throttle warns"},
        {"compass.throttle.failure", 35, "%", "LogAnalyzer compass: over 35 % fails"},
        {"compass.angle.warning", 30, "°", "ours: two calibrated compasses pointing this far apart"},
        {"compass.angle.failure", 60, "°", "ours: too far apart for either to be trusted"},
        {"link.fade.warning", 10, "", "ours: SiK radio RSSI within 10 units (about 5 dB) of the noise floor"},
        {"link.lost.failure", 10, "s", "ours: no packet from the vehicle for this long"},
        {"span.merge", 5, "s", "ours: spans of one finding closer than this are one"},
        {"margin.seconds", 5, "s", "PX4's EKF analysis drops 5 s after take-off and before landing (estimator and compass checks)"},
    };
    return table;
}

double threshold(const std::string& id)
{
    for (const Threshold& t : reviewThresholds())
        if (id == t.id)
            return t.value;
    throw std::logic_error("no review threshold " + id);
}

} // namespace flightreplay::review
