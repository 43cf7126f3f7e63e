#include <gtest/gtest.h>

#include "tools/flight/mission_commands.h"

using namespace flightreplay::flight;

TEST(MissionCommands, NamesKindsAndFrames)
{
    const struct {
        int command;
        const char* name;
        CommandKind kind;
    } commands[] = {
        {16, "WAYPOINT", CommandKind::navigation},      {18, "LOITER_TURNS", CommandKind::navigation},
        {20, "RETURN_TO_LAUNCH", CommandKind::navigation}, {22, "TAKEOFF", CommandKind::navigation},
        {31, "LOITER_TO_ALT", CommandKind::navigation}, {85, "VTOL_LAND", CommandKind::navigation},
        {177, "DO_JUMP", CommandKind::action},          {189, "DO_LAND_START", CommandKind::action},
        {176, "command 176", CommandKind::action},      {252, "command 252", CommandKind::action},
        {253, "command 253", CommandKind::other},       {93, "command 93", CommandKind::other},
        {0, "command 0", CommandKind::other},
        {5002, "FENCE_POLYGON_EXCLUSION", CommandKind::fence}, {5100, "RALLY_POINT", CommandKind::rally},
    };
    for (const auto& c : commands) {
        EXPECT_EQ(commandName(c.command), c.name);
        EXPECT_EQ(commandKind(c.command), c.kind) << c.command;
    }
    const struct {
        int frame;
        AltitudeFrame altitude;
    } frames[] = {{0, AltitudeFrame::amsl},          {5, AltitudeFrame::amsl},         {3, AltitudeFrame::aboveHome},
                  {6, AltitudeFrame::aboveHome},     {10, AltitudeFrame::aboveTerrain}, {11, AltitudeFrame::aboveTerrain},
                  {1, AltitudeFrame::unknown},       {2, AltitudeFrame::unknown}};
    for (const auto& f : frames)
        EXPECT_EQ(altitudeFrame(f.frame), f.altitude) << f.frame;
}

TEST(MissionCommands, LoiterRadiusFromTheParameterEachLoiterUses)
{
    const struct {
        int command;
        std::array<double, 4> param;
        double radius;
    } cases[] = {
        {17, {0, 0, 60, 0}, 60}, {18, {2, 0, -75, 0}, 75}, {19, {30, 0, 50, 0}, 50},
        {31, {0, 90, 0, 0}, 90}, {16, {0, 0, 60, 0}, 0},   {17, {0, 0, 0, 0}, 0},
    };
    for (const auto& c : cases) {
        MissionItem item;
        item.command = c.command;
        item.param = c.param;
        EXPECT_DOUBLE_EQ(loiterRadiusM(item), c.radius) << c.command;
    }
}

TEST(MissionCommands, FenceRegionsFromRunsOfVerticesAndCircles)
{
    const auto fenceItem = [](int command, double count, double lat, double lon) {
        MissionItem item;
        item.command = command;
        item.param = {count, 0, 0, 0};
        item.latDeg = lat;
        item.lonDeg = lon;
        return item;
    };
    const std::vector<MissionItem> items = {
        fenceItem(5001, 3, 47.0, 9.0), fenceItem(5001, 3, 47.1, 9.0), fenceItem(5001, 3, 47.1, 9.1),
        // A second polygon of four vertices, cut short by a circle: left out.
        fenceItem(5002, 4, 47.0, 9.2), fenceItem(5002, 4, 47.0, 9.3),
        fenceItem(5003, 250, 47.05, 9.05),
        fenceItem(5004, 0, 47.0, 9.0), // no radius
        fenceItem(5002, 3, 46.9, 9.0), fenceItem(5002, 3, 46.9, 9.1), fenceItem(5002, 3, 46.8, 9.1),
    };
    const std::vector<FenceRegion> regions = fenceRegionsOf(items);
    ASSERT_EQ(regions.size(), 3u);
    EXPECT_TRUE(regions[0].inclusion);
    ASSERT_EQ(regions[0].polygon.size(), 3u);
    EXPECT_DOUBLE_EQ(regions[0].polygon[2].lonDeg, 9.1);
    EXPECT_TRUE(regions[1].inclusion);
    EXPECT_TRUE(regions[1].polygon.empty());
    EXPECT_DOUBLE_EQ(regions[1].radiusM, 250.0);
    EXPECT_DOUBLE_EQ(regions[1].centre.latDeg, 47.05);
    EXPECT_FALSE(regions[2].inclusion);
    ASSERT_EQ(regions[2].polygon.size(), 3u);
    EXPECT_DOUBLE_EQ(regions[2].polygon[0].latDeg, 46.9);
}
