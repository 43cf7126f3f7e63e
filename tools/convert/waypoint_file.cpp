#include "tools/convert/waypoint_file.h"

#include <cmath>
#include <cstdio>

#include "tools/flight/mission_commands.h"
#include "tools/flight/plan_route.h"

namespace flightreplay::convert {

using namespace flight;

namespace {

void addLine(std::string& text, int seq, const MissionItem& item)
{
    char line[400];
    std::snprintf(line, sizeof line, "%d\t%d\t%d\t%d\t%.6f\t%.6f\t%.6f\t%.6f\t%.8f\t%.8f\t%.6f\t%d\n", seq, seq == 0 ? 1 : 0,
                  item.frame, item.command, item.param[0], item.param[1], item.param[2], item.param[3], item.latDeg,
                  item.lonDeg, item.alt, item.autocontinue ? 1 : 0);
    text += line;
}

} // namespace

std::string waypointFileText(const Flight& flight)
{
    const std::vector<MissionItem>& mission = flight.plan.mission;
    if (mission.empty())
        return "";
    std::string text = "QGC WPL 110\n";
    int seq = 0;
    if (!missionStartsWithHome(flight)) {
        const Fix home = planRoute(flight, {}).home;
        MissionItem item;
        item.command = mav_cmd::WAYPOINT;
        item.frame = 0;
        // A flight that knows no home at all keeps the place empty.
        if (std::isfinite(home.latDeg)) {
            item.latDeg = home.latDeg;
            item.lonDeg = home.lonDeg;
            item.alt = std::isfinite(home.altM) ? home.altM : 0.0;
        }
        addLine(text, seq++, item);
    }
    for (const MissionItem& item : mission)
        addLine(text, seq++, item);
    return text;
}

} // namespace flightreplay::convert
