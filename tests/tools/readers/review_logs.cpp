#include "review_logs.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "log_writers.h"
#include "tlog_writer.h"

namespace reader_test {

namespace {

// The flight's state at boot second t.
struct State {
    double vibration, clippingRise, ratio, vcc;
    int fix;
    double lat, lon, alt, speed;
    double cellVolts, current;
    bool failsafe;
    double motors[4];
    double throttle;
    double mag[3]; // Gauss
};

bool during(double t, double from, double to)
{
    return t >= from - 1e-9 && t < to - 1e-9;
}

State stateAt(const Trouble& trouble, double t, double healthyVibration, double badVibration)
{
    State s{};
    s.vibration = trouble.vibration && during(t, 40, 50) ? badVibration : healthyVibration;
    s.clippingRise = trouble.clipping && during(t, 40, 50) ? 20 : 0;
    s.ratio = trouble.estimator && during(t, 60, 65) ? 1.3 : 0.2;
    s.vcc = trouble.supply && during(t, 55, 56) ? 4.4 : 5.05 + 0.01 * std::sin(t);
    s.fix = trouble.gpsLoss && during(t, 70, 75) ? 1 : 3;
    const double north = t < 15 ? 0 : 5.0 * (t - 15);
    s.lat = 48.1 + north / 111195.0 + (trouble.gpsJump && during(t, 80, 81) ? 0.002 : 0);
    s.lon = 11.5;
    s.alt = 500 + (t < 15 ? 0 : t < 20 ? 4 * (t - 15) : t < 135 ? 20 : t < 140 ? 4 * (140 - t) : 0);
    s.speed = t < 15 || t >= 140 ? 0 : 5;
    s.cellVolts = trouble.battery && t >= 90 ? 3.2 : 4.1 - 0.3 * t / 150;
    s.current = t < 15 || t >= 140 ? 1 : 15;
    s.failsafe = trouble.failsafe && during(t, 95, 97);
    s.throttle = 0.5 + 0.2 * std::sin(t / 3);
    const bool flying = t >= 12 && t < 143;
    const double base = flying ? 1500 + 400 * (s.throttle - 0.5) : 1000;
    for (int m = 0; m < 4; ++m)
        s.motors[m] = base + (m % 2 ? 5 : -5);
    if (trouble.motorLimit && during(t, 100, 105))
        s.motors[2] = 2000;
    if (trouble.motorStop && during(t, 110, 112)) {
        s.motors[1] = 1000;
        s.motors[0] = s.motors[2] = s.motors[3] = 1750;
    }
    const double scale = trouble.compass ? 1 + 2.5 * (s.throttle - 0.5) : 1;
    s.mag[0] = 0.2 * scale;
    s.mag[1] = 0.05 * scale;
    s.mag[2] = 0.4 * scale;
    return s;
}

constexpr double SECONDS = 150;

// Whether the sample at t of a flight sampled every step seconds is the
// first at or after moment.
bool reaches(double t, double step, double moment)
{
    return t >= moment - 1e-9 && t - step < moment - 1e-9;
}

} // namespace

std::string dataflashReviewFlight(const Trouble& trouble, double step)
{
    DataflashWriter w;
    w.define(142, "UNIT", "QbZ", "TimeUS,Id,Label");
    w.define(143, "MULT", "Qbd", "TimeUS,Id,Mult");
    w.define(144, "FMTU", "QBNN", "TimeUS,FmtType,UnitIds,MultIds");
    w.define(130, "GPS", "QBIHBcLLeffffB", "TimeUS,Status,GMS,GWk,NSats,HDop,Lat,Lng,Alt,Spd,GCrs,VZ,Yaw,U");
    w.define(131, "ATT", "QccccCCCC", "TimeUS,DesRoll,Roll,DesPitch,Pitch,DesYaw,Yaw,ErrRP,ErrYaw");
    w.define(132, "BAT", "QBfffff", "TimeUS,Inst,Volt,VoltR,Curr,CurrTot,EnrgTot");
    w.define(133, "RCOU", "QHHHH", "TimeUS,C1,C2,C3,C4");
    w.define(134, "MSG", "QZ", "TimeUS,Message");
    w.define(135, "VIBE", "QBfffI", "TimeUS,IMU,VibeX,VibeY,VibeZ,Clip");
    w.define(136, "XKF4", "QBcccccH", "TimeUS,C,SV,SP,SH,SM,SVT,FS");
    w.define(137, "POWR", "QCCH", "TimeUS,Vcc,VServo,Flags");
    w.define(138, "ERR", "QBB", "TimeUS,Subsys,ECode");
    w.define(139, "EV", "QB", "TimeUS,Id");
    w.define(140, "MAG", "QBhhh", "TimeUS,I,MagX,MagY,MagZ");
    w.define(141, "CTUN", "Qf", "TimeUS,ThO");
    w.write(142, {0, static_cast<int>('G'), "Gauss"});
    w.write(142, {0, static_cast<int>('s'), "s"});
    w.write(143, {0, static_cast<int>('C'), 0.001});
    w.write(143, {0, static_cast<int>('F'), 1e-6});
    w.write(144, {0, 140, "s#GGG", "F-CCC"});
    w.write(134, {1e5, "ArduCopter V4.3.0 (abcdef12)"});
    w.write(134, {2e5, "Frame: QUAD"});
    double clip = 0;
    const int steps = static_cast<int>(std::lround(SECONDS / step));
    for (int k = 0; k < steps; ++k) {
        const double t = step * k, us = std::round(t * 1e6);
        const State s = stateAt(trouble, t, 12, 70);
        for (const auto& [moment, event] : {std::pair{10.0, 10}, std::pair{15.0, 28}, std::pair{140.0, 18}, std::pair{145.0, 11}})
            if (reaches(t, step, moment))
                w.write(139, {us, event});
        if (trouble.failsafe && (reaches(t, step, 95) || reaches(t, step, 97)))
            w.write(138, {us, 5, t < 96 ? 1 : 0});
        if (t >= 1)
            w.write(130, {us, s.fix, 0, 0, s.fix >= 3 ? 12 : 3, s.fix >= 3 ? 0.8 : 9.9, s.lat, s.lon, s.alt, s.speed, 0, 0, 0, 1});
        w.write(131, {us, 0, 0, 0, 0, 0, 0, 0, 0});
        w.write(132, {us, 0, 4 * s.cellVolts, 4 * s.cellVolts, s.current, 10.0 * t, 0});
        w.write(133, {us, s.motors[0], s.motors[1], s.motors[2], s.motors[3]});
        clip += s.clippingRise;
        for (int imu = 0; imu < 2; ++imu)
            w.write(135, {us, imu, s.vibration * 0.5, s.vibration * 0.5, s.vibration, clip});
        w.write(136, {us, 0, s.ratio, 0.2, 0.2, 0.1, 0, 0});
        w.write(137, {us, s.vcc, 5.0, 3});
        for (int mag = 0; mag < 2; ++mag)
            w.write(140, {us, mag, s.mag[0] * 1000, s.mag[1] * 1000, s.mag[2] * 1000});
        w.write(141, {us, s.throttle});
    }
    return w.bytes;
}

std::string ulogReviewFlight(const Trouble& trouble, double step)
{
    UlogWriter w;
    w.info("char[3] sys_name", "PX4");
    w.paramInt("MAV_TYPE", 2);
    w.format("vehicle_imu_status:uint64_t timestamp;float accel_vibration_metric;uint32_t[3] accel_clipping;");
    w.format("estimator_status:uint64_t timestamp;float vel_test_ratio;float pos_test_ratio;float hgt_test_ratio;"
             "float mag_test_ratio;uint32_t filter_fault_flags;");
    w.format("vehicle_gps_position:uint64_t timestamp;int32_t lat;int32_t lon;int32_t alt;float vel_m_s;float eph;"
             "float hdop;uint8_t fix_type;uint8_t satellites_used;uint8_t jamming_indicator;uint8_t[5] _padding0;");
    w.format("battery_status:uint64_t timestamp;float voltage_v;float current_a;float discharged_mah;float remaining;uint8_t cell_count;");
    w.format("system_power:uint64_t timestamp;float voltage5v_v;");
    w.format("actuator_motors:uint64_t timestamp;float[12] control;");
    w.format("vehicle_status:uint64_t timestamp;uint8_t arming_state;uint8_t nav_state;bool failsafe;");
    w.format("vehicle_land_detected:uint64_t timestamp;bool landed;");
    w.format("vehicle_magnetometer:uint64_t timestamp;float[3] magnetometer_ga;");
    w.format("vehicle_thrust_setpoint:uint64_t timestamp;float[3] xyz;");
    const char* topics[] = {"vehicle_imu_status", "estimator_status", "vehicle_gps_position", "battery_status", "system_power",
                            "actuator_motors", "vehicle_status", "vehicle_land_detected", "vehicle_magnetometer", "vehicle_thrust_setpoint"};
    for (uint16_t id = 0; id < 10; ++id)
        w.subscribe(0, id, topics[id]);
    w.subscribe(1, 10, "vehicle_magnetometer");
    w.subscribe(1, 11, "vehicle_imu_status");
    uint32_t clip = 0;
    const int steps = static_cast<int>(std::lround(SECONDS / step));
    for (int k = 0; k < steps; ++k) {
        const double t = step * k;
        const uint64_t us = static_cast<uint64_t>(std::llround(t * 1e6));
        const State s = stateAt(trouble, t, 2, 12);
        clip += static_cast<uint32_t>(s.clippingRise);
        for (uint16_t id : {uint16_t(0), uint16_t(11)}) {
            Body imu;
            imu.put<uint64_t>(us).put<float>(static_cast<float>(s.vibration)).put<uint32_t>(clip).put<uint32_t>(0).put<uint32_t>(0);
            w.data(id, imu);
        }
        Body ekf;
        ekf.put<uint64_t>(us).put<float>(static_cast<float>(s.ratio)).put<float>(0.2f).put<float>(0.2f).put<float>(0.1f).put<uint32_t>(0);
        w.data(1, ekf);
        if (t >= 1) {
            Body gps;
            gps.put<uint64_t>(us).put<int32_t>(static_cast<int32_t>(std::lround(s.lat * 1e7))).put<int32_t>(static_cast<int32_t>(std::lround(s.lon * 1e7)));
            gps.put<int32_t>(static_cast<int32_t>(s.alt * 1000)).put<float>(static_cast<float>(s.speed)).put<float>(s.fix >= 3 ? 0.8f : 50.f);
            gps.put<float>(0.7f).put<uint8_t>(static_cast<uint8_t>(s.fix)).put<uint8_t>(s.fix >= 3 ? 12 : 3).put<uint8_t>(10);
            w.data(2, gps);
        }
        Body battery;
        battery.put<uint64_t>(us).put<float>(static_cast<float>(4 * s.cellVolts)).put<float>(static_cast<float>(s.current));
        battery.put<float>(static_cast<float>(10 * t)).put<float>(0.9f - static_cast<float>(t) / 300).put<uint8_t>(4);
        w.data(3, battery);
        Body power;
        power.put<uint64_t>(us).put<float>(static_cast<float>(s.vcc));
        w.data(4, power);
        Body motors;
        motors.put<uint64_t>(us);
        for (int m = 0; m < 12; ++m)
            motors.put<float>(m < 4 ? static_cast<float>((s.motors[m] - 1000) / 1000) : NAN);
        w.data(5, motors);
        const bool armed = t >= 10 && t < 145, inAir = t >= 15 && t < 140;
        Body status;
        status.put<uint64_t>(us).put<uint8_t>(armed ? 2 : 1).put<uint8_t>(2).put<uint8_t>(s.failsafe ? 1 : 0);
        w.data(6, status);
        Body landed;
        landed.put<uint64_t>(us).put<uint8_t>(inAir ? 0 : 1);
        w.data(7, landed);
        for (uint16_t id : {uint16_t(8), uint16_t(10)}) {
            Body mag;
            mag.put<uint64_t>(us).put<float>(static_cast<float>(s.mag[0])).put<float>(static_cast<float>(s.mag[1])).put<float>(static_cast<float>(s.mag[2]));
            w.data(id, mag);
        }
        Body thrust;
        thrust.put<uint64_t>(us).put<float>(0).put<float>(0).put<float>(static_cast<float>(-s.throttle));
        w.data(9, thrust);
    }
    return w.bytes;
}

std::string tlogReviewFlight(const Trouble& trouble, double step)
{
    TlogWriter w;
    const uint64_t start = 1781431200000000ull;
    double clip = 0;
    const int steps = static_cast<int>(std::lround(SECONDS / step));
    for (int k = 0; k < steps; ++k) {
        const double t = step * k;
        const State s = stateAt(trouble, t, 12, 70);
        const uint64_t stamp = start + static_cast<uint64_t>(std::llround(t * 1e6));
        const uint32_t bootMs = static_cast<uint32_t>(std::lround(t * 1000));
        const auto send = [&](const mav::Payload& p) { put(w, stamp, 1, 1, p); };
        if (k % std::max(1, static_cast<int>(std::lround(1.0 / step))) == 0) {
            const bool armed = t >= 10 && t < 145;
            send(mav::heartbeat(5, 2, 3, static_cast<uint8_t>(1 | (armed ? 128 : 0)), s.failsafe ? 5 : 4));
        }
        send(mav::attitude(bootMs, 0, 0, 0));
        if (t >= 1) {
            send(mav::gpsRawInt(static_cast<uint64_t>(bootMs) * 1000, s.lat, s.lon, s.alt, s.speed, s.fix, s.fix >= 3 ? 12 : 3));
            send(mav::globalPositionInt(bootMs, s.lat, s.lon, s.alt, s.alt - 500, 0));
        }
        send(mav::sysStatus(4 * s.cellVolts, s.current));
        clip += s.clippingRise;
        send(mav::vibration(static_cast<uint64_t>(bootMs) * 1000, static_cast<float>(s.vibration * 0.5), static_cast<float>(s.vibration * 0.5),
                            static_cast<float>(s.vibration), static_cast<uint32_t>(clip)));
        send(mav::ekfStatusReport(0x1ff, static_cast<float>(s.ratio), 0.2f, 0.2f, 0.1f));
        send(mav::powerStatus(static_cast<uint16_t>(std::lround(s.vcc * 1000)), 5000, 3));
        send(mav::servoOutputRaw(bootMs * 1000u, {static_cast<uint16_t>(s.motors[0]), static_cast<uint16_t>(s.motors[1]),
                                                  static_cast<uint16_t>(s.motors[2]), static_cast<uint16_t>(s.motors[3])}));
    }
    return w.bytes();
}

} // namespace reader_test
