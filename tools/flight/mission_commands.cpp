#include "tools/flight/mission_commands.h"

#include <cmath>

#include "log/geography.h"

namespace flightreplay::flight {

CommandKind commandKind(int command)
{
    using namespace mav_cmd;
    switch (command) {
    case WAYPOINT:
    case LOITER_UNLIMITED:
    case LOITER_TURNS:
    case LOITER_TIME:
    case RETURN_TO_LAUNCH:
    case LAND:
    case TAKEOFF:
    case LOITER_TO_ALT:
    case SPLINE_WAYPOINT:
    case VTOL_TAKEOFF:
    case VTOL_LAND: return CommandKind::navigation;
    case FENCE_POLYGON_INCLUSION:
    case FENCE_POLYGON_EXCLUSION:
    case FENCE_CIRCLE_INCLUSION:
    case FENCE_CIRCLE_EXCLUSION: return CommandKind::fence;
    case RALLY_POINT: return CommandKind::rally;
    default: return command >= DO_FIRST && command <= DO_LAST ? CommandKind::action : CommandKind::other;
    }
}

std::string commandName(int command)
{
    static const std::pair<int, const char*> names[] = {
        {16, "WAYPOINT"},           {17, "LOITER_UNLIM"},        {18, "LOITER_TURNS"},
        {19, "LOITER_TIME"},        {20, "RETURN_TO_LAUNCH"},    {21, "LAND"},
        {22, "TAKEOFF"},            {31, "LOITER_TO_ALT"},       {82, "SPLINE_WAYPOINT"},
        {84, "VTOL_TAKEOFF"},       {85, "VTOL_LAND"},           {177, "DO_JUMP"},
        {178, "DO_CHANGE_SPEED"},   {183, "DO_SET_SERVO"},       {189, "DO_LAND_START"},
        {203, "DO_DIGICAM_CONTROL"}, {206, "DO_SET_CAM_TRIGG_DIST"},
        {5001, "FENCE_POLYGON_INCLUSION"}, {5002, "FENCE_POLYGON_EXCLUSION"},
        {5003, "FENCE_CIRCLE_INCLUSION"},  {5004, "FENCE_CIRCLE_EXCLUSION"}, {5100, "RALLY_POINT"},
    };
    for (const auto& [number, name] : names)
        if (number == command)
            return name;
    // A number without a name here is shown as the number: a made-up name
    // would read as a command the autopilot knows.
    return "command " + std::to_string(command);
}

AltitudeFrame altitudeFrame(int frame)
{
    switch (frame) {
    case 0:
    case 5: return AltitudeFrame::amsl;
    case 3:
    case 6: return AltitudeFrame::aboveHome;
    case 10:
    case 11: return AltitudeFrame::aboveTerrain;
    default: return AltitudeFrame::unknown;
    }
}

bool isTakeoff(int command)
{
    return command == mav_cmd::TAKEOFF || command == mav_cmd::VTOL_TAKEOFF;
}

bool isLanding(int command)
{
    return command == mav_cmd::LAND || command == mav_cmd::VTOL_LAND;
}

bool isLoiter(int command)
{
    using namespace mav_cmd;
    return command == LOITER_UNLIMITED || command == LOITER_TURNS || command == LOITER_TIME || command == LOITER_TO_ALT;
}

double loiterRadiusM(const MissionItem& item)
{
    using namespace mav_cmd;
    // Loiter to altitude keeps its radius in param2, the other loiters in param3.
    if (item.command == LOITER_TO_ALT)
        return std::fabs(item.param[1]);
    if (isLoiter(item.command))
        return std::fabs(item.param[2]);
    return 0.0;
}

std::vector<FenceRegion> fenceRegionsOf(const std::vector<MissionItem>& items)
{
    using namespace mav_cmd;
    std::vector<FenceRegion> regions;
    for (size_t i = 0; i < items.size();) {
        const MissionItem& item = items[i];
        if (item.command == FENCE_POLYGON_INCLUSION || item.command == FENCE_POLYGON_EXCLUSION) {
            FenceRegion region;
            region.inclusion = item.command == FENCE_POLYGON_INCLUSION;
            const size_t wanted = item.param[0] >= 1.0 && item.param[0] < 65536.0 ? static_cast<size_t>(item.param[0]) : 1;
            while (i < items.size() && items[i].command == item.command && region.polygon.size() < wanted) {
                region.polygon.push_back({items[i].latDeg, items[i].lonDeg});
                ++i;
            }
            bool valid = region.polygon.size() >= 3;
            for (const GeoPoint& p : region.polygon)
                valid = valid && onGlobe(p.latDeg, p.lonDeg);
            if (valid)
                regions.push_back(std::move(region));
            continue;
        }
        if ((item.command == FENCE_CIRCLE_INCLUSION || item.command == FENCE_CIRCLE_EXCLUSION) && item.param[0] > 0.0
            && onGlobe(item.latDeg, item.lonDeg)) {
            FenceRegion region;
            region.inclusion = item.command == FENCE_CIRCLE_INCLUSION;
            region.centre = {item.latDeg, item.lonDeg};
            region.radiusM = item.param[0];
            regions.push_back(region);
        }
        ++i;
    }
    return regions;
}

} // namespace flightreplay::flight
