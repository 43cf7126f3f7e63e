#include "tools/convert/plan_listing.h"

#include <cmath>
#include <cstdio>

#include "tools/flight/mission_commands.h"
#include "tools/flight/plan_route.h"
#include "tools/flight/terrain_comparison.h"

namespace flightreplay::convert {

using namespace flight;

namespace {

void addMission(std::string& text, const PlanRoute& route)
{
    char line[240];
    std::snprintf(line, sizeof line, "mission: %zu items%s\n", route.items.size(),
                  route.firstItemIsHome ? " (item 0 is home)" : "");
    text += line;
    text += "    seq  command                  frame     latitude     longitude      alt m     AMSL m\n";
    for (const RouteItem& r : route.items) {
        const MissionItem& m = r.item;
        char height[32];
        if (!r.placed)
            std::snprintf(height, sizeof height, "%10s", "-");
        else if (r.resolved)
            std::snprintf(height, sizeof height, "%10.1f", r.altAmsl);
        else
            std::snprintf(height, sizeof height, "%10s", "unresolved");
        std::snprintf(line, sizeof line, "  %5d  %-24s %5d  %11.7f  %12.7f %10.1f %s\n", m.seq,
                      commandName(m.command).c_str(), m.frame, m.latDeg, m.lonDeg, m.alt, height);
        text += line;
    }
    if (route.homeAssumed && std::isfinite(route.home.latDeg))
        text += "  (no home in the log: heights above home from the first fix)\n";
}

void addFence(std::string& text, const Plan& plan)
{
    if (plan.fence.empty())
        return;
    int polygons = 0, inclusion = 0;
    for (const FenceRegion& region : plan.fence) {
        polygons += region.polygon.empty() ? 0 : 1;
        inclusion += region.inclusion ? 1 : 0;
    }
    const int regions = static_cast<int>(plan.fence.size());
    char line[200];
    std::snprintf(line, sizeof line, "fence: %d regions (polygons %d, circles %d; inclusion %d, exclusion %d)", regions,
                  polygons, regions - polygons, inclusion, regions - inclusion);
    text += line;
    if (std::isfinite(plan.fenceCeilingM)) {
        std::snprintf(line, sizeof line, ", ceiling %.0f m above home", plan.fenceCeilingM);
        text += line;
    }
    text += "\n";
}

} // namespace

std::string unloadedMissionText(const Plan& plan)
{
    if (plan.unloadedItems == 0)
        return "";
    return "the autopilot's list of " + std::to_string(plan.unloadedItems)
           + (plan.unloadedItems == 1 ? " item" : " items") + " holds nothing to fly";
}

std::string listPlan(const Flight& data, const ElevationLookup& ground, double zeroT)
{
    const Plan& plan = data.plan;
    if (plan.empty() && plan.unloadedItems == 0 && !std::isfinite(plan.home.latDeg) && data.shots.empty()
        && data.terrain.empty())
        return "";
    std::string text;
    char line[200];
    if (!plan.mission.empty())
        addMission(text, planRoute(data, ground));
    else if (plan.unloadedItems > 0)
        text += "mission: none loaded (" + unloadedMissionText(plan) + ")\n";
    else
        text += "mission: none\n";
    addFence(text, plan);
    if (!plan.rally.empty()) {
        std::snprintf(line, sizeof line, "rally points: %zu\n", plan.rally.size());
        text += line;
    }
    if (std::isfinite(plan.home.latDeg)) {
        std::snprintf(line, sizeof line, "home: %.7f, %.7f, %.1f m\n", plan.home.latDeg, plan.home.lonDeg, plan.home.altM);
        text += line;
    }
    if (!data.shots.empty()) {
        std::snprintf(line, sizeof line, "camera shots: %zu, %.3f s to %.3f s\n", data.shots.size(),
                      data.shots.front().t - zeroT, data.shots.back().t - zeroT);
        text += line;
    }
    const TerrainComparison terrain = compareTerrain(data, ground);
    if (terrain.reports > 0) {
        std::snprintf(line, sizeof line, "terrain reports: %zu, %zu without data\n", terrain.reports, terrain.withoutData);
        text += line;
        text += terrainLine(terrain, zeroT) + "\n";
    }
    return text;
}

} // namespace flightreplay::convert
