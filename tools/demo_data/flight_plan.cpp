#include "flight_plan.h"

#include <cmath>
#include <cstddef>

#include "demo_site.h"
#include "log/units.h"
#include "tools/assets/noise.h"

namespace flightreplay::demo {

using assets::hashUnit;
using assets::smoothStep;
using assets::valueNoise;

namespace {

constexpr double TAU = 2.0 * MAP_PI;
constexpr double GRAVITY = 9.81;
constexpr double CRUISE_SPEED = 15.0; // m/s, 3 m per row
constexpr double LOOP_LENGTH = 1500.0;
constexpr double CIRCUIT_RADIUS = 90.0;
constexpr double CIRCUIT_STRAIGHT = (LOOP_LENGTH - TAU * CIRCUIT_RADIUS) / 2.0;
constexpr double EIGHT_RADIUS = LOOP_LENGTH / (2.0 * TAU);
constexpr double START_DISTANCE = 225.0; // take-off point, metres before the runway's middle
constexpr int FIRST_LOOP_ROW = 150;
constexpr int ROLL_START_ROW = 50;
constexpr int CLIMB_SPEED_ROW = 100;

enum class Loop { circuit, eight };

// Loop k starts at row FIRST_LOOP_ROW + 500 k; the last one ends in the landing.
const Loop LOOPS[] = {
    Loop::circuit, Loop::circuit, Loop::eight,   Loop::circuit, Loop::circuit, Loop::eight,   Loop::circuit,
    Loop::eight,   Loop::circuit, Loop::eight,   Loop::eight,   Loop::circuit, Loop::eight,   Loop::circuit,
    Loop::circuit, Loop::circuit, Loop::circuit, Loop::circuit, Loop::circuit,
};
constexpr int LOOP_COUNT = sizeof LOOPS / sizeof LOOPS[0];
// Touchdown on the last approach, 200 m before the runway's middle.
constexpr double TOUCHDOWN_DISTANCE = START_DISTANCE + (LOOP_COUNT - 1) * LOOP_LENGTH + LOOP_LENGTH - 200.0;

// Height above the field (metres) at chosen rows; straight lines between.
struct HeightMark {
    int row;
    double height;
};
const HeightMark HEIGHT_MARKS[] = {
    {0, 0.0},       {108, 0.0},     {400, 120.0},   {1650, 120.0},  {2150, 150.0},  {2650, 150.0},
    {3400, 220.0},  {4150, 150.0},  {5650, 150.0},  {6150, 120.0},  {8150, 120.0},  {8650, 72.0},
    {9150, 30.0},   {9478, 28.0},   {9583, 0.0},    {DEMO_ROW_COUNT, 0.0},
};

RunwayPoint circuitPoint(double s)
{
    const double half = CIRCUIT_STRAIGHT / 2.0;
    const double arc = MAP_PI * CIRCUIT_RADIUS;
    const double r = CIRCUIT_RADIUS;
    if (s < half)
        return {s, 0.0};
    s -= half;
    if (s < arc) {
        const double a = s / r;
        return {half + r * std::sin(a), r - r * std::cos(a)};
    }
    s -= arc;
    if (s < CIRCUIT_STRAIGHT)
        return {half - s, 2.0 * r};
    s -= CIRCUIT_STRAIGHT;
    if (s < arc) {
        const double a = s / r;
        return {-half - r * std::sin(a), r + r * std::cos(a)};
    }
    s -= arc;
    return {-half + s, 0.0};
}

RunwayPoint eightPoint(double s)
{
    const double r = EIGHT_RADIUS;
    const double a = s / r;
    if (a < TAU) // left circle first
        return {r * std::sin(a), r - r * std::cos(a)};
    return {r * std::sin(a - TAU), -r + r * std::cos(a - TAU)};
}

// Position after s metres along the whole flight.
RunwayPoint pathPoint(double s)
{
    if (s < START_DISTANCE)
        return {s - START_DISTANCE, 0.0};
    s -= START_DISTANCE;
    int k = static_cast<int>(s / LOOP_LENGTH);
    if (k >= LOOP_COUNT)
        k = LOOP_COUNT - 1;
    const double inLoop = s - k * LOOP_LENGTH;
    return LOOPS[k] == Loop::circuit ? circuitPoint(inLoop) : eightPoint(inLoop);
}

double plannedHeight(int row)
{
    const size_t n = sizeof HEIGHT_MARKS / sizeof HEIGHT_MARKS[0];
    for (size_t i = 1; i < n; ++i) {
        if (row <= HEIGHT_MARKS[i].row) {
            const HeightMark& a = HEIGHT_MARKS[i - 1];
            const HeightMark& b = HEIGHT_MARKS[i];
            return a.height + (b.height - a.height) * (row - a.row) / (b.row - a.row);
        }
    }
    return 0.0;
}

double unwrapNear(double a, double reference)
{
    while (a - reference > MAP_PI)
        a -= TAU;
    while (a - reference < -MAP_PI)
        a += TAU;
    return a;
}

// Moving average over rows i - half ... i + half, clamped at the ends.
std::vector<double> smoothed(const std::vector<double>& v, int half)
{
    const int n = static_cast<int>(v.size());
    std::vector<double> out(v.size());
    for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        for (int j = i - half; j <= i + half; ++j)
            sum += v[static_cast<size_t>(j < 0 ? 0 : (j >= n ? n - 1 : j))];
        out[static_cast<size_t>(i)] = sum / (2 * half + 1);
    }
    return out;
}

double jitter(int row, uint32_t channel, double amplitude)
{
    return amplitude * (2.0 * hashUnit(row, channel, 71) - 1.0);
}

} // namespace

std::vector<LogRow> planDemoFlight()
{
    const int n = DEMO_ROW_COUNT;
    const auto count = static_cast<size_t>(n);
    const double dt = DEMO_LOG_INTERVAL;

    // Ground speed and distance flown, row by row.
    std::vector<double> speed(count);
    std::vector<double> distance(count);
    double s = 0.0;
    double v = 0.0;
    for (int i = 0; i < n; ++i) {
        if (i <= ROLL_START_ROW)
            v = 0.0;
        else if (i <= CLIMB_SPEED_ROW)
            v = CRUISE_SPEED * (i - ROLL_START_ROW) / (CLIMB_SPEED_ROW - ROLL_START_ROW);
        else if (s < TOUCHDOWN_DISTANCE)
            v = CRUISE_SPEED;
        else
            v = std::fmax(0.0, v - 2.5 * dt);
        speed[static_cast<size_t>(i)] = v;
        distance[static_cast<size_t>(i)] = s;
        // The take-off run accelerates evenly, so the distance is exact at row 100.
        s += (i >= ROLL_START_ROW && i < CLIMB_SPEED_ROW) ? CRUISE_SPEED * dt * (i - ROLL_START_ROW + 0.5) / 50.0 : v * dt;
    }

    std::vector<LocalPoint> position(count);
    std::vector<double> height(count);
    for (size_t i = 0; i < count; ++i) {
        position[i] = runwayToLocal(pathPoint(distance[i]));
        height[i] = plannedHeight(static_cast<int>(i));
    }
    height = smoothed(height, 12);

    // Heading along the track, turn rate from its change.
    std::vector<double> heading(count);
    double last = RUNWAY_ANGLE;
    for (size_t i = 0; i < count; ++i) {
        const size_t a = i == 0 ? 0 : i - 1;
        const size_t b = i + 1 < count ? i + 1 : i;
        const double de = position[b].east - position[a].east;
        const double dn = position[b].north - position[a].north;
        if (std::hypot(de, dn) > 0.05)
            last = unwrapNear(std::atan2(dn, de), last);
        heading[i] = last;
    }
    std::vector<double> turnRate(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t a = i == 0 ? 0 : i - 1;
        const size_t b = i + 1 < count ? i + 1 : i;
        turnRate[i] = b > a ? (heading[b] - heading[a]) / (static_cast<double>(b - a) * dt) : 0.0;
    }
    std::vector<double> targetRoll(count);
    std::vector<double> climb(count);
    for (size_t i = 0; i < count; ++i) {
        targetRoll[i] = std::atan(speed[i] * turnRate[i] / GRAVITY);
        const size_t a = i == 0 ? 0 : i - 1;
        const size_t b = i + 1 < count ? i + 1 : i;
        climb[i] = b > a ? (height[b] - height[a]) / (static_cast<double>(b - a) * dt) : 0.0;
    }
    const std::vector<double> roll = smoothed(targetRoll, 7);

    const GeoPoint start = localToGeo(position[0]);
    const double startAlt = FIELD_ELEVATION + GROUND_CLEARANCE;
    const double windFrom = 4.4; // radians, wind blowing toward the east-north-east
    const double windSpeed = 2.5;

    std::vector<LogRow> rows(count);
    double mah = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const int row = static_cast<int>(i);
        LogRow& r = rows[i];
        const bool flying = height[i] > 0.3;
        const bool gliding = row >= 8150 && row < 9583;
        const bool motorOn = row > ROLL_START_ROW && !gliding && (flying || speed[i] > 0.5);
        const double angleOfAttack = 0.055 * smoothStep(0.0, 4.0, height[i]);
        const double targetPitch = std::atan2(climb[i], std::fmax(speed[i], 1.0)) + angleOfAttack;

        const GeoPoint geo = localToGeo(position[i]);
        r.samplenumber = row;
        r.flightnumber = 7;
        r.gps_date = 140626;
        r.gps_time = 37800.0 + row * dt;
        r.gps_numsatellites = 9 + static_cast<int>(3.0 * valueNoise(row / 450.0, 0.5, 73));
        r.gps_fixmode = 3;
        r.ap_status = !flying ? 0 : (row < 650 || row >= 9150 ? 1 : 2);
        r.gps_startlat = minutesOfDegrees(start.lat);
        r.gps_startlon = minutesOfDegrees(start.lon);
        r.gps_startalt = startAlt;
        r.gps_curlat = minutesOfDegrees(geo.lat);
        r.gps_curlon = minutesOfDegrees(geo.lon);
        r.gps_curalt = startAlt + height[i];
        r.gps_curspeed = speed[i];
        r.gps_curheading = wrapZeroTwoPi(heading[i]);
        r.compass_curheading = wrapZeroTwoPi(heading[i] + 0.04 * std::sin(row / 97.0) + jitter(row, 1, 0.01));
        const double toBaseE = position[0].east - position[i].east;
        const double toBaseN = position[0].north - position[i].north;
        r.bearing_to_base = std::hypot(toBaseE, toBaseN) > 1.0 ? wrapZeroTwoPi(std::atan2(toBaseN, toBaseE)) : 0.0;
        r.turn_rate = turnRate[i];

        const double throttle = !motorOn ? 0.0 : (!flying ? 1.0 : std::fmin(1.0, 0.5 + 0.15 * climb[i]));
        const double current = 0.35 + 11.5 * throttle * throttle + jitter(row, 2, 0.08);
        mah += current * dt / 3.6;
        r.current = current;
        r.mah = mah;
        r.voltage1 = 12.55 - 1.4 * (mah / 3000.0) - 0.035 * current + jitter(row, 3, 0.01);
        r.voltage2 = 5.02 + jitter(row, 4, 0.02);
        r.voltage3 = 3.30 + jitter(row, 5, 0.01);
        r.temperature = 21.4 + 2.0 * row / n + jitter(row, 6, 0.05);
        const double headwind = speed[i] > 1.0 ? windSpeed * std::cos(heading[i] - (windFrom - MAP_PI)) : 0.0;
        r.baro_curspeed = std::fmax(0.0, speed[i] - headwind + jitter(row, 7, 0.2));
        r.baro_curalt = height[i] + jitter(row, 8, 0.25);
        r.pyro_curroll = roll[i];
        r.pyro_curpitch = targetPitch * 0.9 + 0.1 * (i > 0 ? rows[i - 1].pyro_curpitch : 0.0);
        r.pyro_targetroll = targetRoll[i];
        r.pyro_targetpitch = targetPitch;
        r.targetthrottle = throttle;
        r.in_ppm_curwidth[0] = 1500.0 - 420.0 * targetRoll[i];
        r.in_ppm_curwidth[1] = 1500.0 + 600.0 * (targetPitch - angleOfAttack);
        r.in_ppm_curwidth[2] = 1100.0 + 800.0 * throttle;
        r.in_ppm_curwidth[3] = 1500.0 - 90.0 * turnRate[i];
        r.in_ppm_curwidth[4] = r.ap_status == 2 ? 1900.0 : 1100.0;
        r.out_ppm_curwidth[0] = 1500.0 - 380.0 * roll[i] - 900.0 * (targetRoll[i] - roll[i]) + jitter(row, 9, 2.0);
        r.out_ppm_curwidth[1] = 1500.0 + 520.0 * (targetPitch - angleOfAttack) + jitter(row, 10, 2.0);
        r.out_ppm_curwidth[2] = r.in_ppm_curwidth[2];
        r.out_ppm_curwidth[3] = 1500.0 - 80.0 * turnRate[i] + jitter(row, 11, 2.0);
        r.controlbyte = (motorOn ? 1 : 0) | 2 | (r.ap_status == 2 ? 4 : 0);
    }
    return rows;
}

} // namespace flightreplay::demo
