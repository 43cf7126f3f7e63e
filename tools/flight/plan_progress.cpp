#include "tools/flight/plan_progress.h"

#include <algorithm>
#include <cmath>

#include "tools/flight/mission_commands.h"

namespace flightreplay::flight {

namespace {

int seqAt(const PlanRoute& route, size_t k)
{
    return route.items[static_cast<size_t>(route.path[k])].item.seq;
}

// The first path point from `from` on holding item seq, else the first of all; -1 for none.
int pointOfSeq(const PlanRoute& route, int seq, int from)
{
    for (int pass = 0; pass < 2; ++pass)
        for (size_t k = pass == 0 ? static_cast<size_t>(std::max(from, 0)) : 0; k < route.path.size(); ++k)
            if (seqAt(route, k) == seq)
                return static_cast<int>(k);
    return -1;
}

// The leg a DO_ item is done on, from `from` on first; -1 for none.
int legOfAction(const PlanRoute& route, int seq, int from)
{
    for (int pass = 0; pass < 2; ++pass)
        for (size_t k = pass == 0 ? static_cast<size_t>(std::max(from, 1)) : 1; k < route.legActions.size(); ++k)
            for (int index : route.legActions[k])
                if (route.items[static_cast<size_t>(index)].item.seq == seq)
                    return static_cast<int>(k);
    return -1;
}

double dot(const LocalOffset& a, const LocalOffset& b)
{
    return a.east * b.east + a.north * b.north;
}

LocalOffset minus(const LocalOffset& a, const LocalOffset& b)
{
    return {a.east - b.east, a.north - b.north};
}

double distanceToSegment(const LocalOffset& a, const LocalOffset& b, const LocalOffset& p)
{
    const LocalOffset d = minus(b, a);
    const LocalOffset ap = minus(p, a);
    const double length2 = dot(d, d);
    const double f = length2 > 0.0 ? std::clamp(dot(ap, d) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(ap.east - f * d.east, ap.north - f * d.north);
}

} // namespace

std::vector<LegChange> loggedLegs(const Flight& flight, const PlanRoute& route)
{
    std::vector<LegChange> changes;
    if (route.path.size() < 2)
        return changes;
    int leg = 0;
    for (const FlightEvent& e : flight.events) {
        int next;
        if (e.kind == FlightEventKind::missionCurrent) {
            const int point = pointOfSeq(route, e.item, std::max(leg, 1));
            next = point >= 1 ? point : point == 0 ? -1 : legOfAction(route, e.item, leg);
            if (point < 0 && next < 0)
                continue;
        } else if (e.kind == FlightEventKind::missionReached) {
            const int point = pointOfSeq(route, e.item, leg - 1);
            if (point < 0)
                continue;
            next = point + 1 < static_cast<int>(route.path.size()) ? point + 1 : -1;
        } else {
            continue;
        }
        if (changes.empty() || changes.back().leg != next)
            changes.push_back({e.t, next});
        if (next > 0)
            leg = next;
    }
    return changes;
}

int nearestLeg(const PlanRoute& route, const LocalOffset& at)
{
    int best = -1;
    double bestDistance = INFINITY;
    for (size_t k = 1; k < route.pathMetres.size(); ++k) {
        const double d = distanceToSegment(route.pathMetres[k - 1], route.pathMetres[k], at);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(k);
        }
    }
    return best;
}

int legAt(const PlanRoute& route, const std::vector<LegChange>& logged, double t, double latDeg, double lonDeg)
{
    if (!logged.empty()) {
        const auto after = std::upper_bound(logged.begin(), logged.end(), t,
                                            [](double time, const LegChange& c) { return time < c.t; });
        return after == logged.begin() ? -1 : std::prev(after)->leg;
    }
    return nearestLeg(route, localOffsetMetres(route.home.latDeg, route.home.lonDeg, latDeg, lonDeg));
}

LegDeviation legDeviation(const PlanRoute& route, int leg, double latDeg, double lonDeg, double altAmsl)
{
    LegDeviation out;
    if (leg < 1 || leg >= static_cast<int>(route.path.size()))
        return out;
    const LocalOffset a = route.pathMetres[static_cast<size_t>(leg - 1)];
    const LocalOffset b = route.pathMetres[static_cast<size_t>(leg)];
    const LocalOffset p = localOffsetMetres(route.home.latDeg, route.home.lonDeg, latDeg, lonDeg);
    const RouteItem& from = route.items[static_cast<size_t>(route.path[static_cast<size_t>(leg - 1)])];
    const RouteItem& to = route.items[static_cast<size_t>(route.path[static_cast<size_t>(leg)])];
    const LocalOffset d = minus(b, a);
    const LocalOffset ap = minus(p, a);
    const double length = std::sqrt(dot(d, d));
    const double radius = loiterRadiusM(to.item);
    const double fromCentre = std::hypot(p.east - b.east, p.north - b.north);
    if (radius > 0.0 && fromCentre < 2.0 * radius) {
        out.crossTrackM = fromCentre - radius;
        out.along = 1.0;
    } else if (length > 0.0) {
        out.crossTrackM = (d.north * ap.east - d.east * ap.north) / length;
        out.along = std::clamp(dot(ap, d) / (length * length), 0.0, 1.0);
    } else {
        out.crossTrackM = std::hypot(ap.east, ap.north);
        out.along = 1.0;
    }
    if (from.resolved && to.resolved)
        out.heightErrorM = altAmsl - (from.altAmsl + out.along * (to.altAmsl - from.altAmsl));
    return out;
}

} // namespace flightreplay::flight
