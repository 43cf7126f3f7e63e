#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "log_writers.h"
#include "prep_fixtures.h"
#include "support/test_support.h"

namespace {

// The elevation file holding a point, by the usual tile formula at zoom 8.
std::string elevationFileOf(double lat, double lon)
{
    const double y = 0.5 - std::log(std::tan(M_PI / 4 + lat * M_PI / 360.0)) / (2 * M_PI);
    const double x = (lon + 180.0) / 360.0;
    return "zsi-" + std::to_string(static_cast<int>(y * 256)) + "-" + std::to_string(static_cast<int>(x * 256)) + ".egm";
}

// Twenty fixes near 47.6 N 9.14 E; with a plan, a mission reaching 0.8°
// east and a rally point 0.7° south, each some 60 km away.
std::string flight(bool withPlan)
{
    reader_test::DataflashWriter w;
    w.define(130, "GPS", "QBIHBcLLeffffB", "TimeUS,Status,GMS,GWk,NSats,HDop,Lat,Lng,Alt,Spd,GCrs,VZ,Yaw,U");
    w.define(140, "CMD", "QHHHffffffff", "TimeUS,CTot,CNum,CId,Prm1,Prm2,Prm3,Prm4,Lat,Lng,Alt,Frame");
    w.define(141, "RALY", "QBBLLh", "TimeUS,Tot,Seq,Lat,Lng,Alt");
    if (withPlan) {
        w.write(140, {1e6, 2, 0, 16, 0, 0, 0, 0, 47.6, 9.14, 420, 0});
        w.write(140, {1e6, 2, 1, 16, 0, 0, 0, 0, 47.6, 9.94, 100, 3});
        w.write(141, {1e6, 1, 0, 46.9, 9.14, 50});
    }
    for (int k = 0; k < 20; ++k)
        w.write(130, {2e6 + 2e5 * k, 3, 0, 2200, 9, 0.9, 47.6 + 1e-5 * k, 9.14, 420.0, 5, 0, 0, 0, 0});
    return w.bytes;
}

} // namespace

TEST(PrepPlan, CheckCoversThePlanBeyondTheTrack)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/plan.bin", flight(true));
    writeFile(dir + "/track.bin", flight(false));
    const std::string beyondEast = "missing " + elevationFileOf(47.6, 9.94) + "\n";
    const std::string beyondSouth = "missing " + elevationFileOf(46.9, 9.14) + "\n";
    const std::string under = "missing " + elevationFileOf(47.6, 9.14) + "\n";
    const std::string corner = "missing " + elevationFileOf(46.9, 9.94) + "\n";
    ASSERT_NE(beyondEast, under);
    ASSERT_NE(beyondSouth, under);

    const ProgramRun track = runCommand(prepPath() + " check track.bin", dir);
    EXPECT_EQ(track.status, 1);
    EXPECT_NE(track.out.find(under), std::string::npos) << track.out;
    EXPECT_EQ(track.out.find(beyondEast), std::string::npos) << track.out;

    const ProgramRun plan = runCommand(prepPath() + " check plan.bin", dir);
    EXPECT_EQ(plan.status, 1);
    // The plan's extent is a box: its south-east corner's file too.
    for (const std::string& line : {under, beyondEast, beyondSouth, corner})
        EXPECT_NE(plan.out.find(line), std::string::npos) << line << plan.out;
    // The same frame: the plan widens the elevation, not the scene.
    EXPECT_EQ(plan.out.substr(0, plan.out.find("missing")), track.out.substr(0, track.out.find("missing")));
    EXPECT_EQ(countLines(plan.out, "missing zsi-"), countLines(track.out, "missing zsi-") + 3);
}

TEST(PrepPlan, TerrainWritesTheGroundUnderThePlanBeyondTheTrack)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/plan.bin", flight(true));
    writeGeoTiff(dir + "/dem.tif", 4326, 50, 40, {8.5, 0.05, 0, 48.2, 0, -0.05},
                 [](double lon, double lat) { return 300.0 + 10.0 * lon + 20.0 * lat; });
    const ProgramRun terrain = runCommand(prepPath() + " terrain plan.bin dem.tif", dir);
    ASSERT_EQ(terrain.status, 0) << terrain.err;
    for (const auto& [lat, lon] : {std::pair{47.6, 9.14}, {47.6, 9.94}, {46.9, 9.14}, {46.9, 9.94}})
        EXPECT_NE(terrain.out.find("wrote " + elevationFileOf(lat, lon) + ": "), std::string::npos)
            << lat << ", " << lon << "\n" << terrain.out;
    const ProgramRun check = runCommand(prepPath() + " check plan.bin", dir);
    EXPECT_EQ(countLines(check.out, "missing zsi-"), 0) << check.out;
    EXPECT_EQ(countLines(check.out, "found zsi-"), countLines(terrain.out, "wrote zsi-")) << check.out;
}
