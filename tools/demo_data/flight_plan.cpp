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

// The plan row by row, from which the log's columns follow.
struct FlightPath {
    std::vector<double> speed;      // m/s over the ground
    std::vector<double> distance;   // metres flown along the path
    std::vector<LocalPoint> position;
    std::vector<double> height;     // metres above the field
    std::vector<double> heading;    // radians counter-clockwise from east, unwrapped
    std::vector<double> turnRate;   // rad/s
    std::vector<double> targetRoll; // the coordinated turn's bank, radians
    std::vector<double> roll;       // the bank flown: the target smoothed
    std::vector<double> climb;      // m/s
};

void planSpeedAndDistance(FlightPath& path)
{
    const int n = DEMO_ROW_COUNT;
    const double dt = DEMO_LOG_INTERVAL;
    path.speed.resize(static_cast<size_t>(n));
    path.distance.resize(static_cast<size_t>(n));
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
        path.speed[static_cast<size_t>(i)] = v;
        path.distance[static_cast<size_t>(i)] = s;
        // The take-off run accelerates evenly, so the distance is exact at row 100.
        s += (i >= ROLL_START_ROW && i < CLIMB_SPEED_ROW) ? CRUISE_SPEED * dt * (i - ROLL_START_ROW + 0.5) / 50.0 : v * dt;
    }
}

void planPositionAndHeight(FlightPath& path)
{
    const size_t count = path.distance.size();
    path.position.resize(count);
    path.height.resize(count);
    for (size_t i = 0; i < count; ++i) {
        path.position[i] = runwayToLocal(pathPoint(path.distance[i]));
        path.height[i] = plannedHeight(static_cast<int>(i));
    }
    path.height = smoothed(path.height, 12);
}

// Heading along the track, turn rate from its change, the bank of a
// coordinated turn at that rate and the climb rate.
void planTurnsAndClimb(FlightPath& path)
{
    const size_t count = path.position.size();
    const double dt = DEMO_LOG_INTERVAL;
    path.heading.resize(count);
    double last = RUNWAY_ANGLE;
    for (size_t i = 0; i < count; ++i) {
        const size_t a = i == 0 ? 0 : i - 1;
        const size_t b = i + 1 < count ? i + 1 : i;
        const double de = path.position[b].east - path.position[a].east;
        const double dn = path.position[b].north - path.position[a].north;
        if (std::hypot(de, dn) > 0.05)
            last = unwrapNear(std::atan2(dn, de), last);
        path.heading[i] = last;
    }
    path.turnRate.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t a = i == 0 ? 0 : i - 1;
        const size_t b = i + 1 < count ? i + 1 : i;
        path.turnRate[i] = b > a ? (path.heading[b] - path.heading[a]) / (static_cast<double>(b - a) * dt) : 0.0;
    }
    path.targetRoll.resize(count);
    path.climb.resize(count);
    for (size_t i = 0; i < count; ++i) {
        path.targetRoll[i] = std::atan(path.speed[i] * path.turnRate[i] / GRAVITY);
        const size_t a = i == 0 ? 0 : i - 1;
        const size_t b = i + 1 < count ? i + 1 : i;
        path.climb[i] = b > a ? (path.height[b] - path.height[a]) / (static_cast<double>(b - a) * dt) : 0.0;
    }
    path.roll = smoothed(path.targetRoll, 7);
}

constexpr double WIND_FROM = 4.4; // radians, wind blowing toward the east-north-east
constexpr double WIND_SPEED = 2.5;

// What the aircraft does at a row, shared by the log's columns.
struct RowState {
    int row;
    bool flying;
    bool motorOn;
    double angleOfAttack;
    double targetPitch;
    double throttle;
};

RowState rowState(const FlightPath& path, size_t i)
{
    RowState state{};
    state.row = static_cast<int>(i);
    state.flying = path.height[i] > 0.3;
    const bool gliding = state.row >= 8150 && state.row < 9583;
    state.motorOn = state.row > ROLL_START_ROW && !gliding && (state.flying || path.speed[i] > 0.5);
    state.angleOfAttack = 0.055 * smoothStep(0.0, 4.0, path.height[i]);
    state.targetPitch = std::atan2(path.climb[i], std::fmax(path.speed[i], 1.0)) + state.angleOfAttack;
    state.throttle = !state.motorOn ? 0.0 : (!state.flying ? 1.0 : std::fmin(1.0, 0.5 + 0.15 * path.climb[i]));
    return state;
}

// Time, GPS, navigation and the autopilot's status.
void fillNavigation(LogRow& r, const FlightPath& path, size_t i, const RowState& state, const GeoPoint& start)
{
    const int row = state.row;
    const double startAlt = FIELD_ELEVATION + GROUND_CLEARANCE;
    const GeoPoint geo = localToGeo(path.position[i]);
    r.samplenumber = row;
    r.flightnumber = 7;
    r.gps_date = 140626;
    r.gps_time = 37800.0 + row * DEMO_LOG_INTERVAL;
    r.gps_numsatellites = 9 + static_cast<int>(3.0 * valueNoise(row / 450.0, 0.5, 73));
    r.gps_fixmode = 3;
    r.ap_status = !state.flying ? 0 : (row < 650 || row >= 9150 ? 1 : 2);
    r.gps_startlat = minutesOfDegrees(start.lat);
    r.gps_startlon = minutesOfDegrees(start.lon);
    r.gps_startalt = startAlt;
    r.gps_curlat = minutesOfDegrees(geo.lat);
    r.gps_curlon = minutesOfDegrees(geo.lon);
    r.gps_curalt = startAlt + path.height[i];
    r.gps_curspeed = path.speed[i];
    r.gps_curheading = wrapZeroTwoPi(path.heading[i]);
    r.compass_curheading = wrapZeroTwoPi(path.heading[i] + 0.04 * std::sin(row / 97.0) + jitter(row, 1, 0.01));
    const double toBaseE = path.position[0].east - path.position[i].east;
    const double toBaseN = path.position[0].north - path.position[i].north;
    r.bearing_to_base = std::hypot(toBaseE, toBaseN) > 1.0 ? wrapZeroTwoPi(std::atan2(toBaseN, toBaseE)) : 0.0;
    r.turn_rate = path.turnRate[i];
}

// Battery, board voltages and temperature; mah is the charge drawn so far.
void fillPower(LogRow& r, const RowState& state, double& mah)
{
    const int row = state.row;
    const double current = 0.35 + 11.5 * state.throttle * state.throttle + jitter(row, 2, 0.08);
    mah += current * DEMO_LOG_INTERVAL / 3.6;
    r.current = current;
    r.mah = mah;
    r.voltage1 = 12.55 - 1.4 * (mah / 3000.0) - 0.035 * current + jitter(row, 3, 0.01);
    r.voltage2 = 5.02 + jitter(row, 4, 0.02);
    r.voltage3 = 3.30 + jitter(row, 5, 0.01);
    r.temperature = 21.4 + 2.0 * row / DEMO_ROW_COUNT + jitter(row, 6, 0.05);
}

// Air data, attitude, the pilot's sticks and the servos; previousPitch is
// the row before's pitch (0 before the first).
void fillAttitudeAndControls(LogRow& r, const FlightPath& path, size_t i, const RowState& state, double previousPitch)
{
    const int row = state.row;
    const double speed = path.speed[i];
    const double headwind = speed > 1.0 ? WIND_SPEED * std::cos(path.heading[i] - (WIND_FROM - MAP_PI)) : 0.0;
    r.baro_curspeed = std::fmax(0.0, speed - headwind + jitter(row, 7, 0.2));
    r.baro_curalt = path.height[i] + jitter(row, 8, 0.25);
    const double roll = path.roll[i];
    const double targetRoll = path.targetRoll[i];
    const double turnRate = path.turnRate[i];
    const double targetPitch = state.targetPitch;
    r.pyro_curroll = roll;
    r.pyro_curpitch = targetPitch * 0.9 + 0.1 * previousPitch;
    r.pyro_targetroll = targetRoll;
    r.pyro_targetpitch = targetPitch;
    r.targetthrottle = state.throttle;
    r.in_ppm_curwidth[0] = 1500.0 - 420.0 * targetRoll;
    r.in_ppm_curwidth[1] = 1500.0 + 600.0 * (targetPitch - state.angleOfAttack);
    r.in_ppm_curwidth[2] = 1100.0 + 800.0 * state.throttle;
    r.in_ppm_curwidth[3] = 1500.0 - 90.0 * turnRate;
    r.in_ppm_curwidth[4] = r.ap_status == 2 ? 1900.0 : 1100.0;
    r.out_ppm_curwidth[0] = 1500.0 - 380.0 * roll - 900.0 * (targetRoll - roll) + jitter(row, 9, 2.0);
    r.out_ppm_curwidth[1] = 1500.0 + 520.0 * (targetPitch - state.angleOfAttack) + jitter(row, 10, 2.0);
    r.out_ppm_curwidth[2] = r.in_ppm_curwidth[2];
    r.out_ppm_curwidth[3] = 1500.0 - 80.0 * turnRate + jitter(row, 11, 2.0);
    r.controlbyte = (state.motorOn ? 1 : 0) | 2 | (r.ap_status == 2 ? 4 : 0);
}

} // namespace

std::vector<LogRow> planDemoFlight()
{
    FlightPath path;
    planSpeedAndDistance(path);
    planPositionAndHeight(path);
    planTurnsAndClimb(path);

    const GeoPoint start = localToGeo(path.position[0]);
    std::vector<LogRow> rows(path.position.size());
    double mah = 0.0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const RowState state = rowState(path, i);
        fillNavigation(rows[i], path, i, state, start);
        fillPower(rows[i], state, mah);
        fillAttitudeAndControls(rows[i], path, i, state, i > 0 ? rows[i - 1].pyro_curpitch : 0.0);
    }
    return rows;
}

} // namespace flightreplay::demo
