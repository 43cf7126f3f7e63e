#include <gtest/gtest.h>

#include <string>

#include <cmath>

#include "log/units.h"
#include "prep_fixtures.h"
#include "support/test_support.h"
#include "tlog_writer.h"
#include "tools/prep/prep_area.h"

namespace {

// 1000 m at 38 E 55 N, rising 250 m per degree east and falling 400 m per
// degree north.
double field(double lon, double lat)
{
    return 1000.0 + 250.0 * (lon - 38.0) - 400.0 * (lat - 55.0);
}

} // namespace

// An area in degrees stands in for the log: the map frame centres on it,
// as it would on a flight there, and the files around it are written.
TEST(PrepBbox, AreaInDegreesInsteadOfALog)
{
    const std::string dir = makeTempDir();
    writeGeoTiff(dir + "/dem.tif", 4326, 200, 150, {36.0, 0.02, 0, 56.5, 0, -0.02}, field);

    const ProgramRun run = runCommand(prepPath() + " --bbox 54.99,37.49,55.01,37.51 terrain dem.tif", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("CI,CJ=82915 158378\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("terrain: 2 elevation files written, 0 kept"), std::string::npos) << run.out;
    for (const int fileRow : {80, 81}) {
        const int r = 513;
        const int c = 77;
        EXPECT_NEAR(elevationSample(dir + "/zsi-" + std::to_string(fileRow) + "-154.egm", r, c),
                    field(longitudeOfCol(154 * 1024 + c), latitudeOfRow(fileRow * 1024 + r)), 0.501)
            << fileRow;
    }
}

// A ground station's log of two vehicles: the area takes in both, as the
// studio shows both.
TEST(PrepBbox, EveryVehicleOfATelemetryLogIsInTheArea)
{
    const std::string dir = makeTempDir();
    reader_test::TlogWriter w;
    reader_test::TelemetryFlight first;
    first.seconds = 20.0;
    reader_test::writeTelemetryFlight(w, first);
    reader_test::TelemetryFlight second = first;
    second.system = 2;
    second.station = false;
    second.northOffsetM = 600.0;
    reader_test::writeTelemetryFlight(w, second);
    writeFile(dir + "/two.tlog", w.bytes());

    flightreplay::flight::VehicleType vehicle = flightreplay::flight::VehicleType::fixedWing;
    const LogExtents e = flightreplay::prep::flightExtents(dir + "/two.tlog", &vehicle);
    const double minutesPerMetre = 60.0 / (MEAN_EARTH_RADIUS * RADIANS_PER_DEGREE);
    EXPECT_NEAR(e.latMin, first.latitude * 60.0, 1e-4);
    EXPECT_NEAR(e.latMax - e.latMin, 600.0 * minutesPerMetre, 1e-4);
    // Flying east at 10 m/s from 10 s to 20 s.
    EXPECT_NEAR(e.lonMax - e.lonMin, 100.0 * minutesPerMetre / std::cos(first.latitude * RADIANS_PER_DEGREE), 2e-3);
    EXPECT_EQ(vehicle, flightreplay::flight::VehicleType::multicopter);
}
