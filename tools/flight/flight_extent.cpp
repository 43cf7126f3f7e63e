#include "tools/flight/flight_extent.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "log/fixed_point_text.h"
#include "log/flight_log.h"
#include "log/geography.h"
#include "log/units.h"
#include "tools/flight/mission_commands.h"

namespace flightreplay::flight {

namespace {

double asWritten(double minutes)
{
    char text[FIXED_POINT_TEXT_MAX + 1];
    *writeFixedPoint(text, minutes, 5) = '\0';
    return std::strtod(text, nullptr);
}

void addPoint(LogExtents& e, double latDeg, double lonDeg)
{
    const double lat = asWritten(minutesOfDegrees(latDeg));
    const double lon = asWritten(minutesOfDegrees(lonDeg));
    e.latMin = std::min(e.latMin, lat);
    e.latMax = std::max(e.latMax, lat);
    e.lonMin = std::min(e.lonMin, lon);
    e.lonMax = std::max(e.lonMax, lon);
}

} // namespace

LogExtents flightExtent(const Flight& flight)
{
    LogExtents e;
    // Of fixes at one time the converter's rows take the last.
    std::vector<const Fix*> fixes;
    for (const Fix& fix : flight.position) {
        if (!fixes.empty() && fix.t <= fixes.back()->t)
            fixes.back() = &fix;
        else
            fixes.push_back(&fix);
    }
    if (fixes.size() <= static_cast<size_t>(MAX_LOG_ROWS)) {
        for (const Fix* fix : fixes)
            addPoint(e, fix->latDeg, fix->lonDeg);
        return e;
    }
    const double start = fixes.front()->t;
    const double step = (fixes.back()->t - start) / (MAX_LOG_ROWS - 1);
    size_t i = 0;
    for (int row = 0; row < MAX_LOG_ROWS; ++row) {
        const double t = start + step * row;
        while (i + 1 < fixes.size() && fixes[i + 1]->t <= t)
            ++i;
        const Fix& a = *fixes[i];
        if (i + 1 >= fixes.size() || t <= a.t) {
            addPoint(e, a.latDeg, a.lonDeg);
            continue;
        }
        const Fix& b = *fixes[i + 1];
        const double f = (t - a.t) / (b.t - a.t);
        addPoint(e, a.latDeg + f * (b.latDeg - a.latDeg), a.lonDeg + f * (b.lonDeg - a.lonDeg));
    }
    return e;
}

LogExtents planExtent(const Flight& flight)
{
    LogExtents e;
    const auto add = [&](double latDeg, double lonDeg) {
        if (hasPlace(latDeg, lonDeg))
            addPoint(e, latDeg, lonDeg);
    };
    const Plan& plan = flight.plan;
    for (const MissionItem& item : plan.mission)
        if (commandKind(item.command) != CommandKind::action)
            add(item.latDeg, item.lonDeg);
    for (const FenceRegion& region : plan.fence) {
        for (const GeoPoint& p : region.polygon)
            add(p.latDeg, p.lonDeg);
        if (region.polygon.empty()) {
            for (const LocalOffset& edge : {LocalOffset{region.radiusM, region.radiusM}, LocalOffset{-region.radiusM, -region.radiusM}}) {
                double lat, lon;
                offsetToDegrees(region.centre.latDeg, region.centre.lonDeg, edge, lat, lon);
                add(lat, lon);
            }
        }
    }
    for (const RallyPoint& rally : plan.rally)
        add(rally.latDeg, rally.lonDeg);
    if (std::isfinite(plan.home.latDeg))
        add(plan.home.latDeg, plan.home.lonDeg);
    return e;
}

void addExtent(LogExtents& into, const LogExtents& more)
{
    into.latMin = std::min(into.latMin, more.latMin);
    into.latMax = std::max(into.latMax, more.latMax);
    into.lonMin = std::min(into.lonMin, more.lonMin);
    into.lonMax = std::max(into.lonMax, more.lonMax);
}

} // namespace flightreplay::flight
