#include <gtest/gtest.h>

#include <cmath>

#include "frame/grid_geography.h"
#include "log/geography.h"
#include "frame/map_frame.h"

namespace {

TEST(GridGeography, CornerLatitudeAndLongitude)
{
    EXPECT_NEAR(cornerLatitude(0), 85.0511287798, 1e-9);
    EXPECT_NEAR(cornerLatitude(131072), 0.0, 1e-12);
    EXPECT_NEAR(cornerLatitude(262144), -85.0511287798, 1e-9);
    EXPECT_NEAR(cornerLatitude(65536), 66.5132604431, 1e-9);
    EXPECT_EQ(cornerLongitude(0), -180.0);
    EXPECT_EQ(cornerLongitude(131072), 0.0);
    EXPECT_EQ(cornerLongitude(196608), 90.0);
    // Zoom-18 column 158378 is 158378 / 262144 of the way round from -180.
    EXPECT_NEAR(cornerLongitude(158378), 37.4990844727, 1e-9);
}

TEST(GridGeography, InversesOfTheFrameConversions)
{
    for (double y : {0.001, 0.2, 0.31640625, 0.5, 0.77, 0.999}) {
        EXPECT_NEAR(latToMercatorY(latitudeOfMercatorY(y)), y, 1e-13) << y;
    }
    for (double lat : {-80.0, -33.9, 0.0, 12.5, 55.0, 85.0}) {
        EXPECT_NEAR(latitudeOfMercatorY(latToMercatorY(lat)), lat, 1e-11) << lat;
    }
    for (double x : {0.0, 0.25, 0.6, 0.9999}) {
        EXPECT_NEAR(lonToMercatorX(longitudeOfMercatorX(x)), x, 1e-15) << x;
    }
}

TEST(GridGeography, ElevationFilesOfThePatch)
{
    // Centre 55 N 37.5 E: the patch reads only zsi-80-154 and zsi-81-154.
    auto files = terrainElevationFiles(82915, 158378);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].row, 80);
    EXPECT_EQ(files[0].col, 154);
    EXPECT_EQ(files[1].row, 81);
    EXPECT_EQ(files[1].col, 154);

    // Centred on a file corner, the patch (224 zoom-18 tiles across at zoom
    // 13) reads the four files around it, row by row.
    files = terrainElevationFiles(1024 * 5, 1024 * 7);
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(files[0].row, 4);
    EXPECT_EQ(files[0].col, 6);
    EXPECT_EQ(files[1].row, 4);
    EXPECT_EQ(files[1].col, 7);
    EXPECT_EQ(files[2].row, 5);
    EXPECT_EQ(files[2].col, 6);
    EXPECT_EQ(files[3].row, 5);
    EXPECT_EQ(files[3].col, 7);

    // At the north-west corner of the world the corners beyond the grid add nothing.
    files = terrainElevationFiles(10, 10);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].row, 0);
    EXPECT_EQ(files[0].col, 0);
}

} // namespace
