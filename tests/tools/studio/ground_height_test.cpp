#include <gtest/gtest.h>

#include "frame/elevation_tile.h"
#include "frame/grid_geography.h"
#include "log/geography.h"
#include "frame/ground_height.h"
#include "support/test_support.h"
#include "terrain_files.h"

namespace {

constexpr int FI = 88;
constexpr int FJ = 136;

class GroundHeightTest : public TerrainFilesTest {};

double latitudeOfRow(double row)
{
    return latitudeOfMercatorY(row / 262144.0);
}

double longitudeOfColumn(double col)
{
    return longitudeOfMercatorX(col / 262144.0);
}

} // namespace

TEST_F(GroundHeightTest, BilinearBetweenTheFourCornersAround)
{
    // A plane over the file: interpolation gives its height anywhere.
    writeFile("zsi-88-136.egm", elevationFileBytes([](int r, int c) { return 300 + r + 2 * c; }));
    struct Case {
        double r;
        double c;
    };
    const Case cases[] = {{100.0, 200.0}, {100.25, 200.5}, {511.75, 3.125}, {0.5, 0.5}, {1022.9, 1022.1}};
    for (const Case& k : cases) {
        const double lat = latitudeOfRow(FI * 1024.0 + k.r);
        const double lon = longitudeOfColumn(FJ * 1024.0 + k.c);
        EXPECT_NEAR(groundHeightAt(lat, lon), 300 + k.r + 2 * k.c, 1e-3) << k.r << ", " << k.c;
    }

    // A ridge: halfway between a corner of 0 m and one of 100 m.
    writeFile("zsi-88-136.egm", elevationFileBytes([](int r, int) { return r == 11 ? 100 : 0; }));
    clearElevationCache();
    EXPECT_NEAR(groundHeightAt(latitudeOfRow(FI * 1024.0 + 10.5), longitudeOfColumn(FJ * 1024.0 + 7.3)), 50.0, 1e-3);
}

TEST_F(GroundHeightTest, MissingFileReadsAsSeaLevel)
{
    double height = -1.0;
    const std::string out = captureStdout([&] { height = groundHeightAt(latitudeOfRow(FI * 1024.0 + 5.5), longitudeOfColumn(FJ * 1024.0 + 5.5)); });
    EXPECT_DOUBLE_EQ(height, 0.0);
    EXPECT_NE(out.find("zsi-88-136.egm"), std::string::npos) << out;
    EXPECT_DOUBLE_EQ(groundHeightAt(90.0, 0.0), 0.0);
}
