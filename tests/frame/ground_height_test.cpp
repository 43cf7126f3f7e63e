#include <gtest/gtest.h>

#include "frame/grid_geography.h"
#include "log/geography.h"
#include "frame/ground_height.h"
#include "support/test_support.h"
#include "terrain_files.h"

namespace {

constexpr int FI = 88;
constexpr int FJ = 136;

class GroundHeight : public TerrainFilesTest {};

// One plane across the files, in corners from the first file's origin.
int planeHeight(int fileRow, int fileCol, int r, int c)
{
    return 300 + (fileRow - FI) * 1024 + r + 2 * ((fileCol - FJ) * 1024 + c);
}

void writePlaneFile(int fileRow, int fileCol)
{
    writeFile("zsi-" + std::to_string(fileRow) + "-" + std::to_string(fileCol) + ".egm",
              elevationFileBytes([=](int r, int c) { return planeHeight(fileRow, fileCol, r, c); }));
}

double heightAtCorner(double row, double col)
{
    return groundHeightAt(latitudeOfMercatorY((FI * 1024.0 + row) / 262144.0), longitudeOfMercatorX((FJ * 1024.0 + col) / 262144.0));
}

} // namespace

// Points whose four corners lie in two or four files read each corner from
// the file that holds it, so the plane continues across the seams.
TEST_F(GroundHeight, ContinuesAcrossTheSeamsOfElevationFiles)
{
    for (int fileRow : {FI, FI + 1})
        for (int fileCol : {FJ, FJ + 1})
            writePlaneFile(fileRow, fileCol);
    struct Case {
        double row;
        double col;
    };
    const Case cases[] = {
        {1023.5, 100.25},  // between the rows of two files
        {600.0, 1023.75},  // between the columns of two files
        {1023.5, 1023.5},  // among four files
        {1024.0, 1024.0},  // on the corner every file starts or ends at
        {1024.25, 2.5},    // just inside the file below
    };
    for (const Case& k : cases)
        EXPECT_NEAR(heightAtCorner(k.row, k.col), 300 + k.row + 2 * k.col, 1e-3) << k.row << ", " << k.col;
}

TEST_F(GroundHeight, MissingNeighbourFileReadsAsSeaLevelAtTheSeam)
{
    writePlaneFile(FI, FJ);
    double height = 0.0;
    const std::string out = captureStdout([&] { height = heightAtCorner(1023.5, 10.0); });
    EXPECT_NEAR(height, 0.5 * planeHeight(FI, FJ, 1023, 10), 1e-3);
    EXPECT_NE(out.find("zsi-89-136.egm"), std::string::npos) << out;
}
