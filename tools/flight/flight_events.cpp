#include "tools/flight/flight_events.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "tools/flight/ground_speed.h"

namespace flightreplay::flight {

namespace {

constexpr double CLIMB_M = 3.0;
constexpr double FAST_M_S = 6.0;
constexpr double HOLD_S = 3.0;
constexpr double NEAR_GROUND_M = 5.0; // below the take-off height: a landing lower down
constexpr double SLOW_M_S = 2.0;
constexpr double SETTLE_S = 2.0;
constexpr double GROUND_WINDOW_S = 3.0;

bool hasEvent(const Flight& flight, FlightEventKind kind)
{
    return std::any_of(flight.events.begin(), flight.events.end(), [&](const FlightEvent& e) { return e.kind == kind; });
}

double firstEventTime(const Flight& flight, FlightEventKind kind, double after)
{
    for (const FlightEvent& e : flight.events)
        if (e.kind == kind && e.t >= after)
            return e.t;
    return NAN;
}

void addEvent(Flight& flight, double t, FlightEventKind kind)
{
    flight.events.push_back({t, kind, false});
    std::stable_sort(flight.events.begin(), flight.events.end(),
                     [](const FlightEvent& a, const FlightEvent& b) { return a.t < b.t; });
}

} // namespace

void inferFlightEvents(Flight& flight)
{
    const std::vector<Fix>& p = flight.position;
    const bool takeoffLogged = hasEvent(flight, FlightEventKind::takeoff);
    const bool landingLogged = hasEvent(flight, FlightEventKind::landing);
    const bool drives = flight.vehicle == VehicleKind::rover || flight.vehicle == VehicleKind::boat
                        || flight.vehicle == VehicleKind::submarine;
    if (p.size() < 2 || drives || (takeoffLogged && landingLogged))
        return;
    const std::vector<double> speeds = groundSpeedsAtFixes(flight);

    const double armed = firstEventTime(flight, FlightEventKind::armed, -INFINITY);
    size_t start = 0;
    while (std::isfinite(armed) && start + 1 < p.size() && p[start].t < armed)
        ++start;
    double groundSum = 0.0;
    int groundCount = 0;
    for (size_t i = start; i < p.size() && p[i].t - p[start].t <= GROUND_WINDOW_S; ++i, ++groundCount)
        groundSum += p[i].altM;
    const double ground = groundSum / groundCount;

    const auto airborne = [&](size_t i) { return p[i].altM - ground > CLIMB_M || speeds[i] > FAST_M_S; };
    size_t takeoff = p.size();
    for (size_t i = start, run = p.size(); i < p.size(); ++i) {
        if (!airborne(i)) {
            run = p.size();
            continue;
        }
        if (run == p.size())
            run = i;
        if (p[i].t - p[run].t >= HOLD_S) {
            takeoff = run;
            break;
        }
    }
    if (takeoffLogged) {
        const double logged = firstEventTime(flight, FlightEventKind::takeoff, -INFINITY);
        takeoff = 0;
        while (takeoff + 1 < p.size() && p[takeoff].t < logged)
            ++takeoff;
    } else if (takeoff < p.size()) {
        addEvent(flight, p[takeoff].t, FlightEventKind::takeoff);
    }
    if (landingLogged || takeoff >= p.size())
        return;

    const double disarmed = firstEventTime(flight, FlightEventKind::disarmed, p[takeoff].t);
    size_t end = p.size() - 1;
    while (std::isfinite(disarmed) && end > takeoff && p[end].t > disarmed)
        --end;
    const auto grounded = [&](size_t i) {
        return !airborne(i) && ground - p[i].altM < NEAR_GROUND_M && speeds[i] < SLOW_M_S;
    };
    size_t k = end;
    while (k > takeoff && grounded(k))
        --k;
    if (k == end || grounded(k))
        return;
    const size_t touchdown = k + 1;
    if (p[end].t - p[touchdown].t >= SETTLE_S || std::isfinite(disarmed))
        addEvent(flight, p[touchdown].t, FlightEventKind::landing);
}

double takeoffTime(const Flight& flight)
{
    return firstEventTime(flight, FlightEventKind::takeoff, -INFINITY);
}

std::vector<ModeChange> modesFromApStatus(const Series& apStatus)
{
    std::vector<ModeChange> modes;
    for (const Sample& s : apStatus) {
        if (!std::isfinite(s.value))
            continue;
        const int code = static_cast<int>(std::lround(s.value));
        if (modes.empty() || modes.back().code != code)
            modes.push_back({s.t, code, std::to_string(code)});
    }
    return modes;
}

int modeAt(const Flight& flight, double t)
{
    const auto after = std::upper_bound(flight.modes.begin(), flight.modes.end(), t,
                                        [](double time, const ModeChange& mode) { return time < mode.t; });
    return static_cast<int>(after - flight.modes.begin()) - 1;
}

std::string htmlColour(const osg::Vec4& colour)
{
    const auto channel = [](float v) { return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    char text[16];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", channel(colour.r()), channel(colour.g()), channel(colour.b()));
    return text;
}

osg::Vec4 modeColour(int modeIndex)
{
    // Ten hues of clearly different tone, then the same ten lighter.
    static const osg::Vec4 palette[] = {
        {0.12f, 0.47f, 0.71f, 1.0f}, {1.00f, 0.50f, 0.05f, 1.0f}, {0.17f, 0.63f, 0.17f, 1.0f},
        {0.84f, 0.15f, 0.16f, 1.0f}, {0.58f, 0.40f, 0.74f, 1.0f}, {0.55f, 0.34f, 0.29f, 1.0f},
        {0.89f, 0.47f, 0.76f, 1.0f}, {0.50f, 0.50f, 0.50f, 1.0f}, {0.74f, 0.74f, 0.13f, 1.0f},
        {0.09f, 0.75f, 0.81f, 1.0f}, {0.68f, 0.78f, 0.91f, 1.0f}, {1.00f, 0.73f, 0.47f, 1.0f},
        {0.60f, 0.87f, 0.54f, 1.0f}, {1.00f, 0.60f, 0.59f, 1.0f}, {0.77f, 0.69f, 0.84f, 1.0f},
        {0.77f, 0.61f, 0.58f, 1.0f}, {0.97f, 0.71f, 0.82f, 1.0f}, {0.78f, 0.78f, 0.78f, 1.0f},
        {0.86f, 0.86f, 0.55f, 1.0f}, {0.62f, 0.85f, 0.90f, 1.0f},
    };
    constexpr int count = static_cast<int>(sizeof palette / sizeof palette[0]);
    return palette[std::abs(modeIndex % count)];
}

int modeColourIndex(const Flight& flight, int code)
{
    std::set<int> codes;
    for (const ModeChange& mode : flight.modes)
        codes.insert(mode.code);
    const auto at = codes.find(code);
    return at == codes.end() ? 0 : static_cast<int>(std::distance(codes.begin(), at));
}

} // namespace flightreplay::flight
