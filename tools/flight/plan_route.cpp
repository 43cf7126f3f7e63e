#include "tools/flight/plan_route.h"

#include <cmath>
#include <map>

#include "tools/flight/mission_commands.h"

namespace flightreplay::flight {

namespace {

bool hasOwnPlace(const MissionItem& item)
{
    return hasPlace(item.latDeg, item.lonDeg);
}

Fix homeOf(const Flight& flight, bool firstItemIsHome, bool& assumed)
{
    assumed = false;
    if (std::isfinite(flight.plan.home.latDeg))
        return flight.plan.home;
    const std::vector<MissionItem>& mission = flight.plan.mission;
    if (firstItemIsHome && hasOwnPlace(mission.front()))
        return {NAN, mission.front().latDeg, mission.front().lonDeg, mission.front().alt};
    assumed = true;
    if (flight.position.empty())
        return {NAN, NAN, NAN, NAN};
    return flight.position.front();
}

void placeItems(PlanRoute& route, const ElevationLookup& ground)
{
    double lastLat = route.home.latDeg;
    double lastLon = route.home.lonDeg;
    double lastAlt = route.home.altM;
    for (RouteItem& r : route.items) {
        const MissionItem& item = r.item;
        if (commandKind(item.command) != CommandKind::navigation)
            continue;
        if (item.command == mav_cmd::RETURN_TO_LAUNCH) {
            r.latDeg = route.home.latDeg;
            r.lonDeg = route.home.lonDeg;
            r.altAmsl = lastAlt;
        } else {
            const bool own = hasOwnPlace(item);
            r.latDeg = own ? item.latDeg : lastLat;
            r.lonDeg = own ? item.lonDeg : lastLon;
            switch (altitudeFrame(item.frame)) {
            case AltitudeFrame::amsl: r.altAmsl = item.alt; break;
            case AltitudeFrame::aboveHome: r.altAmsl = route.home.altM + item.alt; break;
            case AltitudeFrame::aboveTerrain: {
                const std::optional<double> under = ground && std::isfinite(r.latDeg) ? ground(r.latDeg, r.lonDeg)
                                                                                      : std::nullopt;
                if (under)
                    r.altAmsl = *under + item.alt;
                break;
            }
            case AltitudeFrame::unknown: break;
            }
        }
        r.placed = std::isfinite(r.latDeg) && std::isfinite(r.lonDeg);
        r.resolved = std::isfinite(r.altAmsl);
        if (r.placed) {
            lastLat = r.latDeg;
            lastLon = r.lonDeg;
        }
        if (r.resolved)
            lastAlt = r.altAmsl;
    }
}

// The navigation items in flying order, each do-jump followed once, and
// the DO_ items met on the way to each.
void walkPath(PlanRoute& route)
{
    std::map<int, int> indexOfSeq;
    for (size_t i = 0; i < route.items.size(); ++i)
        indexOfSeq.emplace(route.items[i].item.seq, static_cast<int>(i));
    std::vector<bool> jumped(route.items.size(), false);
    std::vector<int> pending;
    const int count = static_cast<int>(route.items.size());
    // Each jump followed once still lets jumps chained back to the start
    // replay the whole list once per jump: a list of many jumps (a damaged or
    // hostile log) would make a path of items times jumps. Real missions
    // replay a few stretches; the walk stops at many times their length.
    const size_t stepLimit = 16 * route.items.size() + 64;
    size_t steps = 0;
    for (int i = 0; i < count && ++steps <= stepLimit;) {
        const RouteItem& r = route.items[static_cast<size_t>(i)];
        const int command = r.item.command;
        if (command == mav_cmd::DO_JUMP && !jumped[static_cast<size_t>(i)]) {
            jumped[static_cast<size_t>(i)] = true;
            const auto target = indexOfSeq.find(static_cast<int>(std::lround(r.item.param[0])));
            if (target != indexOfSeq.end()) {
                i = target->second;
                continue;
            }
        }
        if (r.placed) {
            route.path.push_back(i);
            route.legActions.push_back(pending);
            pending.clear();
        } else if (commandKind(command) == CommandKind::action && command != mav_cmd::DO_JUMP) {
            pending.push_back(i);
        }
        ++i;
    }
    if (!route.legActions.empty())
        route.legActions.back().insert(route.legActions.back().end(), pending.begin(), pending.end());
}

} // namespace

bool missionStartsWithHome(const Flight& flight)
{
    return !flight.plan.mission.empty() && flight.plan.mission.front().seq == 0 && flight.format != FlightFormat::ulog
           && flight.firmware.rfind("PX4", 0) != 0;
}

PlanRoute planRoute(const Flight& flight, const ElevationLookup& ground)
{
    PlanRoute route;
    route.firstItemIsHome = missionStartsWithHome(flight);
    route.home = homeOf(flight, route.firstItemIsHome, route.homeAssumed);
    for (const MissionItem& item : flight.plan.mission)
        route.items.push_back({item});
    placeItems(route, ground);
    walkPath(route);
    for (int index : route.path) {
        const RouteItem& r = route.items[static_cast<size_t>(index)];
        route.pathMetres.push_back(localOffsetMetres(route.home.latDeg, route.home.lonDeg, r.latDeg, r.lonDeg));
    }
    return route;
}

double drawnAltitude(const PlanRoute& route, const RouteItem& item)
{
    return item.resolved ? item.altAmsl : route.home.altM + item.item.alt;
}

} // namespace flightreplay::flight
