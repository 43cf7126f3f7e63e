#include <gtest/gtest.h>

#include <cmath>

#include "log/units.h"
#include "log_writers.h"
#include "plan_flight.h"
#include "plan_telemetry.h"
#include "tools/flight/plan_progress.h"
#include "tools/readers/numbered_lists.h"
#include "tools/readers/read_flight.h"
#include "reader_test_support.h"

using namespace flightreplay::flight;
using namespace reader_test;
using flightreplay::readers::LastCompleteList;

namespace {

constexpr double DEG = MAP_PI / 180.0;
constexpr double HOME_LAT = 47.6;
constexpr double HOME_LON = 9.14;
constexpr double HOME_ALT = 420.0;

double flatGround(double, double)
{
    return 300.0;
}

int countNotes(const Flight& data, const std::string& text)
{
    int n = 0;
    for (const std::string& note : data.notes)
        n += note == text;
    return n;
}

} // namespace

TEST(DataflashPlan, TheLastCompleteListWithItsFenceRallyPointsAndHome)
{
    const PlanFlight plan = standardPlanFlight(HOME_LAT, HOME_LON, HOME_ALT, flatGround);
    const Flight data = readDataflashBytes(writePlanFlight(plan).bytes);

    ASSERT_EQ(data.plan.mission.size(), plan.mission.size());
    for (size_t i = 0; i < plan.mission.size(); ++i) {
        const MissionItem& want = plan.mission[i];
        const MissionItem& got = data.plan.mission[i];
        EXPECT_EQ(got.seq, static_cast<int>(i));
        EXPECT_EQ(got.command, want.command) << i;
        EXPECT_EQ(got.frame, want.frame) << i;
        for (size_t k = 0; k < 4; ++k)
            EXPECT_FLOAT_EQ(static_cast<float>(got.param[k]), static_cast<float>(want.param[k])) << i;
        // CMD keeps its place in single-precision floats.
        EXPECT_FLOAT_EQ(static_cast<float>(got.latDeg), static_cast<float>(want.latDeg)) << i;
        EXPECT_FLOAT_EQ(static_cast<float>(got.lonDeg), static_cast<float>(want.lonDeg)) << i;
        EXPECT_FLOAT_EQ(static_cast<float>(got.alt), static_cast<float>(want.alt)) << i;
    }

    // The fence items of the list make a polygon and a circle.
    ASSERT_EQ(data.plan.fence.size(), 2u);
    const FenceRegion& polygon = data.plan.fence[0];
    EXPECT_TRUE(polygon.inclusion);
    ASSERT_EQ(polygon.polygon.size(), 6u);
    EXPECT_FLOAT_EQ(static_cast<float>(polygon.polygon[3].latDeg), static_cast<float>(plan.fence[3].latDeg));
    const FenceRegion& circle = data.plan.fence[1];
    EXPECT_FALSE(circle.inclusion);
    EXPECT_TRUE(circle.polygon.empty());
    EXPECT_DOUBLE_EQ(circle.radiusM, 100.0);
    EXPECT_FLOAT_EQ(static_cast<float>(circle.centre.lonDeg), static_cast<float>(plan.fence[6].lonDeg));
    EXPECT_TRUE(std::isnan(data.plan.fenceCeilingM));

    ASSERT_EQ(data.plan.rally.size(), 2u);
    EXPECT_NEAR(data.plan.rally[1].latDeg, plan.rally[1].latDeg, 1e-7);
    EXPECT_NEAR(data.plan.rally[1].lonDeg, plan.rally[1].lonDeg, 1e-7);
    EXPECT_DOUBLE_EQ(data.plan.rally[1].altM, 60.0);

    // ORGN type 1 is home; type 0, the EKF origin, is not.
    EXPECT_NEAR(data.plan.home.latDeg, HOME_LAT, 1e-7);
    EXPECT_NEAR(data.plan.home.lonDeg, HOME_LON, 1e-7);
    EXPECT_NEAR(data.plan.home.altM, HOME_ALT, 0.01);
    EXPECT_DOUBLE_EQ(data.plan.home.t, 6.0);

    // The broken-off upload is told; the list sent again in part is not.
    const size_t total = plan.mission.size() + plan.fence.size() + 1;
    EXPECT_EQ(countNotes(data, "an incomplete mission list (4 of " + std::to_string(total) + " items) left out"), 1);
    EXPECT_EQ(data.notes.size(), 1u);
}

TEST(DataflashPlan, TerrainReportsAndCameraShots)
{
    const PlanFlight plan = standardPlanFlight(HOME_LAT, HOME_LON, HOME_ALT, flatGround);
    const PlanFlightLog log = writePlanFlight(plan);
    const Flight data = readDataflashBytes(log.bytes);

    ASSERT_EQ(data.terrain.size(), static_cast<size_t>(log.reportsWithData + plan.waitingReports));
    for (int i = 0; i < plan.waitingReports; ++i)
        EXPECT_EQ(data.terrain[static_cast<size_t>(i)].status, 1);
    const TerrainReport& first = data.terrain[static_cast<size_t>(plan.waitingReports)];
    EXPECT_EQ(first.status, 2);
    EXPECT_NEAR(first.terrainHeightM, 303.5, 1e-4);
    EXPECT_NEAR(first.t, log.firstFixT + plan.waitingReports, 1e-9);
    bool outlier = false;
    for (const TerrainReport& report : data.terrain)
        if (report.t == log.outlierT) {
            outlier = true;
            EXPECT_NEAR(report.terrainHeightM, 312.5, 1e-4);
            // The vehicle's height above it adds up to its altitude.
            EXPECT_GT(report.heightAboveM, 0.0);
        }
    EXPECT_TRUE(outlier);

    ASSERT_EQ(data.shots.size(), static_cast<size_t>(log.shots));
    ASSERT_GE(data.shots.size(), 10u);
    EXPECT_EQ(data.shots[0].index, 1);
    EXPECT_EQ(data.shots[9].index, 10);
    EXPECT_NEAR(data.shots[0].t, log.firstFixT + plan.shotEverySeconds, 1e-6);
    EXPECT_NEAR(data.shots[0].pitch, -2 * DEG, 1e-6);
    EXPECT_TRUE(data.shots[0].yaw >= 0.0 && data.shots[0].yaw < 2 * MAP_PI);
}

TEST(DataflashPlan, OldListsLackFrames)
{
    DataflashWriter w;
    w.define(130, "GPS", "QBIHBcLLeffffB", "TimeUS,Status,GMS,GWk,NSats,HDop,Lat,Lng,Alt,Spd,GCrs,VZ,Yaw,U");
    w.define(140, "CMD", "QHHHfffffff", "TimeUS,CTot,CNum,CId,Prm1,Prm2,Prm3,Prm4,Lat,Lng,Alt");
    for (int list = 0; list < 2; ++list)
        for (int seq = 0; seq < 3; ++seq)
            w.write(140, {1e6 * (list + 1), 3, seq, 16, 0, 0, 0, 0, 47.0 + 0.001 * seq, 9.0, 50.0});
    w.write(130, {5e6, 3, 0, 2200, 9, 0.9, 47.0, 9.0, 400.0, 0, 0, 0, 0, 0});
    const Flight data = readDataflashBytes(w.bytes);
    ASSERT_EQ(data.plan.mission.size(), 3u);
    EXPECT_EQ(countNotes(data, "the mission's items carry no frame: altitudes taken as above home"), 1);
    EXPECT_EQ(data.notes.size(), 1u);
    EXPECT_EQ(data.plan.mission[0].frame, 0);
    EXPECT_EQ(data.plan.mission[1].frame, 3);
    EXPECT_EQ(data.plan.mission[2].frame, 3);
}

// An autopilot with no mission loaded still reports a list: ArduPlane's is
// home, a waypoint at 0, 0, and five items of command 0 at 0, 0, in a
// DataFlash log's CMD and in the list a station downloads. It is no
// mission, and the item the vehicle flies to (0, all along) means nothing.
TEST(PlanReaders, AListHoldingNothingToFlyIsNoMission)
{
    const struct {
        const char* name;
        std::string bytes;
        size_t items;
    } cases[] = {
        {"DataFlash, ArduPlane", arduPlaneWithoutMission(false), 6},
        {"DataFlash, older ArduPlane without a Frame column", arduPlaneWithoutMission(true), 6},
        {"tlog, ArduPlane", arduPlaneTelemetryWithoutMission(6), 6},
        {"tlog, home alone", arduPlaneTelemetryWithoutMission(1), 1},
    };
    for (const auto& c : cases) {
        const Flight data = flightreplay::readers::readFlightBytes(c.bytes, {});
        ASSERT_FALSE(data.position.empty()) << c.name;
        EXPECT_TRUE(data.plan.mission.empty()) << c.name;
        EXPECT_EQ(data.plan.unloadedItems, c.items) << c.name;
        EXPECT_TRUE(data.notes.empty()) << c.name << ": " << (data.notes.empty() ? "" : data.notes[0]);
        for (const FlightEvent& e : data.events)
            EXPECT_TRUE(e.kind != FlightEventKind::missionCurrent && e.kind != FlightEventKind::missionReached) << c.name;
    }
}

TEST(UlogPlan, CameraCapturesAndTheMissionAsFlown)
{
    UlogWriter w;
    w.format("vehicle_global_position:uint64_t timestamp;double lat;double lon;float alt;uint8_t[4] _padding0;");
    w.format("camera_capture:uint64_t timestamp;uint64_t timestamp_utc;double lat;double lon;uint32_t seq;float alt;"
             "float ground_distance;float[4] q;int8_t result;uint8_t[3] _padding0;");
    w.format("navigator_mission_item:uint64_t timestamp;uint32_t instance_count;float latitude;float longitude;"
             "float time_inside;float acceptance_radius;float loiter_radius;float yaw;float altitude;"
             "uint16_t sequence_current;uint16_t nav_cmd;uint8_t frame;uint8_t origin;bool loiter_exit_xtrack;"
             "bool force_heading;bool altitude_is_relative;bool autocontinue;bool vtol_back_transition;"
             "uint8_t[5] _padding0;");
    w.format("mission_result:uint64_t timestamp;uint32_t instance_count;int32_t seq_reached;uint16_t seq_current;"
             "uint16_t seq_total;");
    w.subscribe(0, 1, "vehicle_global_position");
    w.subscribe(0, 2, "camera_capture");
    w.subscribe(0, 3, "navigator_mission_item");
    w.subscribe(0, 4, "mission_result");
    const auto missionItem = [&](uint64_t us, uint16_t seq, uint16_t command, float lat, float lon, float alt,
                                 bool relative, float radius) {
        Body b;
        b.put<uint64_t>(us).put<uint32_t>(1).put<float>(lat).put<float>(lon).put<float>(2.0f).put<float>(5.0f);
        b.put<float>(radius).put<float>(static_cast<float>(MAP_PI / 2)).put<float>(alt).put<uint16_t>(seq);
        b.put<uint16_t>(command).put<uint8_t>(relative ? 3 : 0).put<uint8_t>(0).put<uint8_t>(0).put<uint8_t>(0);
        b.put<uint8_t>(relative ? 1 : 0).put<uint8_t>(1).put<uint8_t>(0);
        w.data(3, b);
    };
    const auto result = [&](uint64_t us, int32_t reached, uint16_t current) {
        Body b;
        b.put<uint64_t>(us).put<uint32_t>(1).put<int32_t>(reached).put<uint16_t>(current).put<uint16_t>(3);
        w.data(4, b);
    };
    for (int k = 0; k < 20; ++k) {
        Body fix;
        fix.put<uint64_t>(1000000u * static_cast<uint64_t>(k + 1)).put<double>(47.0 + 1e-4 * k).put<double>(9.0);
        fix.put<float>(450.0f);
        w.data(1, fix);
    }
    missionItem(2000000, 0, 22, 0.0f, 0.0f, 30.0f, true, 0.0f);
    result(2000000, -1, 0);
    missionItem(5000000, 1, 16, 47.001f, 9.0f, 480.0f, false, 0.0f);
    result(5000000, 0, 1);
    result(6000000, 0, 1);
    missionItem(9000000, 2, 19, 47.002f, 9.001f, 60.0f, true, 70.0f);
    result(9000000, 1, 2);
    float q[4];
    quaternionOf(5 * DEG, -10 * DEG, 200 * DEG, q);
    for (uint32_t seq : {7u, 8u}) {
        Body shot;
        shot.put<uint64_t>(3000000u * seq).put<uint64_t>(0).put<double>(47.0005).put<double>(9.0002).put<uint32_t>(seq);
        shot.put<float>(455.0f).put<float>(20.0f).put<float>(q[0]).put<float>(q[1]).put<float>(q[2]).put<float>(q[3]);
        shot.put<int8_t>(1);
        w.data(2, shot);
    }
    const Flight data = readUlogBytes(w.bytes);

    ASSERT_EQ(data.shots.size(), 2u);
    EXPECT_EQ(data.shots[0].index, 7);
    EXPECT_DOUBLE_EQ(data.shots[1].t, 24.0);
    EXPECT_DOUBLE_EQ(data.shots[0].latDeg, 47.0005);
    EXPECT_DOUBLE_EQ(data.shots[0].altM, 455.0);
    EXPECT_NEAR(data.shots[0].roll, 5 * DEG, 1e-5);
    EXPECT_NEAR(data.shots[0].pitch, -10 * DEG, 1e-5);
    EXPECT_NEAR(std::fmod(data.shots[0].yaw + 2 * MAP_PI, 2 * MAP_PI), 200 * DEG, 1e-5);

    ASSERT_EQ(data.plan.mission.size(), 3u);
    const MissionItem& takeoff = data.plan.mission[0];
    EXPECT_EQ(takeoff.command, 22);
    EXPECT_EQ(takeoff.frame, 3);
    EXPECT_DOUBLE_EQ(takeoff.alt, 30.0);
    const MissionItem& waypoint = data.plan.mission[1];
    EXPECT_EQ(waypoint.frame, 0);
    EXPECT_DOUBLE_EQ(waypoint.latDeg, static_cast<double>(47.001f));
    EXPECT_DOUBLE_EQ(waypoint.param[0], 2.0); // hold time
    EXPECT_DOUBLE_EQ(waypoint.param[1], 5.0); // acceptance radius
    EXPECT_NEAR(waypoint.param[3], 90.0, 1e-4); // yaw in degrees
    const MissionItem& loiter = data.plan.mission[2];
    EXPECT_EQ(loiter.seq, 2);
    EXPECT_DOUBLE_EQ(loiter.param[2], 70.0);

    // One event per item flown, whichever topic told it first; the items reached.
    std::vector<std::pair<FlightEventKind, int>> mission;
    std::vector<double> times;
    for (const FlightEvent& e : data.events)
        if (e.kind == FlightEventKind::missionCurrent || e.kind == FlightEventKind::missionReached) {
            mission.push_back({e.kind, e.item});
            times.push_back(e.t);
        }
    const std::vector<std::pair<FlightEventKind, int>> expected = {
        {FlightEventKind::missionCurrent, 0}, {FlightEventKind::missionCurrent, 1}, {FlightEventKind::missionReached, 0},
        {FlightEventKind::missionCurrent, 2}, {FlightEventKind::missionReached, 1}};
    EXPECT_EQ(mission, expected);
    EXPECT_EQ(times, (std::vector<double>{2.0, 5.0, 5.0, 9.0, 9.0}));
}

TEST(TlogPlan, TheUploadsByTypeAndTheItemFlownAsTheStationHeardThem)
{
    const PlanFlight plan = standardPlanFlight(HOME_LAT, HOME_LON, HOME_ALT, flatGround);
    PlanFlightLog summary;
    const std::vector<PlanSample> flown = flownPlan(plan, summary);
    const PlanFlightLog log = writePlanTelemetry(plan);
    flightreplay::readers::ReadOptions options;
    options.format = FlightFormat::tlog;
    const Flight data = flightreplay::readers::readFlightBytes(log.bytes, options);

    ASSERT_EQ(data.plan.mission.size(), plan.mission.size());
    for (size_t i = 0; i < plan.mission.size(); ++i) {
        EXPECT_EQ(data.plan.mission[i].command, plan.mission[i].command) << i;
        EXPECT_EQ(data.plan.mission[i].frame, plan.mission[i].frame) << i;
        EXPECT_NEAR(data.plan.mission[i].latDeg, plan.mission[i].latDeg, 1e-7) << i;
        EXPECT_FLOAT_EQ(static_cast<float>(data.plan.mission[i].param[2]), static_cast<float>(plan.mission[i].param[2])) << i;
    }
    ASSERT_EQ(data.plan.fence.size(), 2u);
    EXPECT_EQ(data.plan.fence[0].polygon.size(), 6u);
    EXPECT_DOUBLE_EQ(data.plan.fence[1].radiusM, 100.0);
    ASSERT_EQ(data.plan.rally.size(), 2u);
    EXPECT_NEAR(data.plan.home.altM, HOME_ALT, 1e-3);
    EXPECT_EQ(data.terrain.size(), static_cast<size_t>(log.reportsWithData + plan.waitingReports));
    EXPECT_EQ(data.shots.size(), static_cast<size_t>(log.shots));

    // MISSION_CURRENT and MISSION_ITEM_REACHED give the leg: it ends at the
    // item each fix was flown to (looked up a little after the fix, as the
    // events come with it).
    const PlanRoute route = planRoute(data, {});
    const std::vector<LegChange> legs = loggedLegs(data, route);
    ASSERT_FALSE(legs.empty());
    ASSERT_FALSE(data.position.empty());
    const double offset = data.position.front().t - flown.front().t;
    int checked = 0;
    for (const PlanSample& f : flown) {
        if (f.target == 0)
            continue;
        const int leg = legAt(route, legs, f.t + offset + 0.05, f.latDeg, f.lonDeg);
        ASSERT_GE(leg, 1) << f.t;
        EXPECT_EQ(route.items[static_cast<size_t>(route.path[static_cast<size_t>(leg)])].item.seq, f.target) << f.t;
        ++checked;
    }
    EXPECT_GT(checked, 1000);
}

// Lists as a log sends them: the last complete one wins, a part sent again
// that agrees with it is no incomplete list, and a total no protocol can
// count (a damaged log) makes no list and takes no room.
TEST(NumberedLists, LastCompleteListWinsAndDamagedTotalsTakeNoRoom)
{
    LastCompleteList<int> list([](int a, int b) { return a == b; });
    for (int seq = 0; seq < 3; ++seq)
        list.add(3, seq, 10 + seq);
    list.add(3, 1, 11);
    list.add(70000, 0, 5);
    list.add(70000, 69999, 6);
    list.add(60000, 0, 7);
    list.add(60000, 59999, 8);
    list.finish();
    ASSERT_TRUE(list.kept());
    EXPECT_EQ(*list.kept(), (std::vector<int>{10, 11, 12}));
    EXPECT_EQ(list.incomplete(), 1);
    EXPECT_EQ(list.lastIncompleteFilled(), 2);
    EXPECT_EQ(list.lastIncompleteTotal(), 60000);
}
