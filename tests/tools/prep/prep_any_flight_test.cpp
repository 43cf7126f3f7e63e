#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "log_writers.h"
#include "plan_flight.h"
#include "plan_telemetry.h"
#include "prep_fixtures.h"
#include "support/test_support.h"
#include "tlog_writer.h"

using namespace reader_test;

namespace {

// 48 N 122 W: centre tile (91125, 42234), as the replay's one-row log there.
constexpr double LAT = 48.0;
constexpr double LON = -122.0;

// Ten fixes 0.2 s apart at (LAT, LON): the same map frame in every format.
std::string ulogThere()
{
    UlogWriter w;
    w.format("vehicle_global_position:uint64_t timestamp;double lat;double lon;float alt;uint8_t[4] _padding0;");
    w.subscribe(0, 1, "vehicle_global_position");
    for (int k = 0; k < 10; ++k) {
        Body fix;
        fix.put<uint64_t>(1000000u + 200000u * static_cast<uint64_t>(k)).put<double>(LAT).put<double>(LON);
        fix.put<float>(100.0f);
        w.data(1, fix);
    }
    return w.bytes;
}

std::string dataflashThere()
{
    DataflashWriter w;
    w.define(130, "GPS", "QBIHBcLLeffffB", "TimeUS,Status,GMS,GWk,NSats,HDop,Lat,Lng,Alt,Spd,GCrs,VZ,Yaw,U");
    for (int k = 0; k < 10; ++k)
        w.write(130, {1e6 + 2e5 * k, 3, 0, 2200, 9, 0.9, LAT, LON, 100.0, 0, 0, 0, 0, 0});
    return w.bytes;
}

std::string tlogThere()
{
    TlogWriter w;
    const uint64_t start = 1781431200000000ull;
    for (int k = 0; k < 10; ++k) {
        const uint64_t at = start + 200000ull * static_cast<uint64_t>(k);
        put(w, at, 1, 1, mav::heartbeat(0, 1, 3, 0x51));
        put(w, at + 10, 1, 1,
            mav::globalPositionInt(1000 + 200 * static_cast<uint32_t>(k), LAT, LON, 100.0, 0.0, 0.0));
    }
    return w.bytes();
}

ProgramRun prep(const std::string& arguments, const std::string& dir)
{
    return runCommand(prepPath() + " " + arguments, dir);
}

} // namespace

// terrain, imagery and check take any log the converter reads, and prepare
// for it what they prepare for the replay's own log of the same place.
TEST(PrepAnyFlight, TerrainImageryAndCheckOnEveryFormatAsOnTheReplaysLog)
{
    const std::string base = makeTempDir();
    writeGeoTiff(base + "/dem.tif", 4326, 120, 80, {-124.0, 0.05, 0, 50.0, 0, -0.05},
                 [](double lon, double lat) { return 300.0 + 10.0 * lon + 20.0 * lat; });
    writeGreyMbtiles(base + "/tiles.mbtiles", 91125, 42234);
    const struct {
        const char* file;
        std::string bytes;
    } cases[] = {
        {"flight.log", logAt(LAT, LON)},
        {"flight.ulg", ulogThere()},
        {"flight.bin", dataflashThere()},
        {"flight.tlog", tlogThere()},
    };
    std::string terrainOut, imageryOut, checkOut;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string work = std::string("work-") + c.file;
        writeFile(base + "/" + c.file, c.bytes);
        const ProgramRun terrain = prep("--dir " + work + " terrain " + c.file + " dem.tif", base);
        ASSERT_EQ(terrain.status, 0) << terrain.err;
        const ProgramRun imagery = prep("--dir " + work + " imagery " + c.file + " tiles.mbtiles", base);
        ASSERT_EQ(imagery.status, 0) << imagery.err;
        ASSERT_EQ(prep("--dir " + work + " assets", base).status, 0);
        const ProgramRun check = prep("--dir " + work + " --vehicle fixed-wing check " + c.file, base);
        EXPECT_EQ(check.status, 0) << check.out;
        EXPECT_NE(terrain.out.find("CI,CJ=91125 42234\n"), std::string::npos) << terrain.out;
        EXPECT_NE(imagery.out.find("imagery: 249 image tiles written, 0 kept, 0 missing"), std::string::npos)
            << imagery.out;
        EXPECT_EQ(countLines(check.out, "missing "), 0) << check.out;
        if (terrainOut.empty()) {
            terrainOut = terrain.out;
            imageryOut = imagery.out;
            checkOut = check.out;
        } else {
            EXPECT_EQ(terrain.out, terrainOut);
            EXPECT_EQ(imagery.out, imageryOut);
            EXPECT_EQ(check.out, checkOut);
        }
    }
}

// The autopilot's terrain against a DEM on disk, without converting first:
// prep terrain on the station's log, then the converter's listing in that
// folder compares the terrain reports with the elevation files written.
TEST(PrepAnyFlight, TerrainOfATelemetryLogThenItsListingComparesWithTheDem)
{
    const std::string dir = makeTempDir();
    const auto ground = [](double lon, double lat) { return 400.0 + 60.0 * (lon - 9.0) + 90.0 * (lat - 47.5); };
    const PlanFlight plan = standardPlanFlight(47.6, 9.14, 420.0, [ground](double lat, double lon) {
        return ground(lon, lat);
    });
    const PlanFlightLog log = writePlanTelemetry(plan);
    writeFile(dir + "/flight.tlog", log.bytes);
    writeGeoTiff(dir + "/dem.tif", 4326, 200, 120, {8.0, 0.01, 0, 48.2, 0, -0.01}, ground);

    const std::string convert = std::string(CONVERT_BINARY) + " --list flight.tlog";
    ProgramRun list = runCommand(convert, dir);
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("reports with data; no elevation files here to compare them with\n"), std::string::npos)
        << list.out;

    const ProgramRun terrain = prep("terrain flight.tlog dem.tif", dir);
    ASSERT_EQ(terrain.status, 0) << terrain.err;
    list = runCommand(convert, dir);
    ASSERT_EQ(list.status, 0) << list.err;
    const size_t at = list.out.find("\nterrain: ");
    ASSERT_NE(at, std::string::npos) << list.out;
    int reports = 0;
    double median = 0.0, largest = 0.0, when = 0.0;
    ASSERT_EQ(std::sscanf(list.out.c_str() + at,
                          "\nterrain: %d reports with data; autopilot minus elevation files: median %lf m, largest %lf m at "
                          "%lf s",
                          &reports, &median, &largest, &when),
              4)
        << list.out;
    EXPECT_EQ(reports, log.reportsWithData);
    EXPECT_EQ(list.out.find("outside the elevation files"), std::string::npos) << list.out;
    // The reports 3.5 m above the ground, one of them 9 m more; the
    // elevation files hold whole metres.
    EXPECT_NEAR(median, plan.terrainOffsetM, 0.6);
    EXPECT_NEAR(largest, plan.terrainOffsetM + plan.outlierM, 0.6);
}
