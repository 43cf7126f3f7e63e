#include <gtest/gtest.h>

#include <string>

#include "prep_fixtures.h"
#include "support/test_support.h"

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
