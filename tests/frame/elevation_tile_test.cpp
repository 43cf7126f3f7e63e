#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "frame/elevation_tile.h"
#include "support/test_support.h"
#include "terrain_files.h"

namespace {

using ElevationTile = TerrainFilesTest;

// Distinct enough that a wrong stride, a swapped row and column or the wrong
// file reads a different value.
int pattern(int fileRow, int r, int c)
{
    return (r * 31 + c) % 32749 - 16000 + fileRow;
}

TEST_F(ElevationTile, FileNamesAndSampleIndices)
{
    EXPECT_EQ(elevationFileName(82912, 158375), "zsi-80-154.egm");
    EXPECT_EQ(elevationFileName(1024, 0), "zsi-1-0.egm");
    EXPECT_EQ(elevationFileName(1023, 1023), "zsi-0-0.egm");
    EXPECT_EQ(elevationFileName(262143, 262143), "zsi-255-255.egm");

    writeFile("zsi-80-154.egm", elevationFileBytes([](int r, int c) { return pattern(80, r, c); }));
    // Sample (992, 679), index 1,017,479: (992 * 31 + 679) - 16000 + 80.
    EXPECT_EQ(elevationAt(82912, 158375), 15511);
    EXPECT_EQ(elevationAt(82912, 158376), 15512);
    EXPECT_EQ(elevationAt(82913, 158375), 15542);
    EXPECT_EQ(elevationAt(81920, 157696), -15920); // sample 0
    EXPECT_EQ(elevationAt(82943, 158719), pattern(80, 1023, 1023));

    // The line 1024 * (FI + 1) belongs to the next file, never to row or
    // column 1024 of this one.
    writeFile("zsi-0-0.egm", elevationFileBytes([](int r, int c) { return r == 1024 || c == 1024 ? 111 : 5; }));
    writeFile("zsi-1-0.egm", elevationFileBytes([](int r, int c) { return r == 0 && c == 0 ? 222 : 6; }));
    writeFile("zsi-0-1.egm", elevationFileBytes([](int r, int c) { return r == 0 && c == 0 ? 333 : 7; }));
    EXPECT_EQ(elevationAt(1024, 0), 222);
    EXPECT_EQ(elevationAt(0, 1024), 333);
    EXPECT_EQ(elevationAt(1023, 1023), 5);
    EXPECT_EQ(elevationAt(1023, 0), 5);

    writeFile("zsi-255-255.egm", elevationFileBytes([](int r, int c) { return r - c; }));
    EXPECT_EQ(elevationAt(262143, 262143), 0);
    EXPECT_EQ(elevationAt(262143, 261120), 1023);
    EXPECT_EQ(elevationAt(261120, 262143), -1023);
}

TEST_F(ElevationTile, SignedLittleEndianSamples)
{
    // A file of four samples: the rest of the grid reads 0.
    writeFile("zsi-3-4.egm", std::string("\x18\xFC\xE8\x03\xFF\x7F\x00\x80", 8));
    const std::string out = captureStdout([] {
        EXPECT_EQ(elevationAt(3072, 4096), -1000);
        EXPECT_EQ(elevationAt(3072, 4097), 1000);
        EXPECT_EQ(elevationAt(3072, 4098), 32767);
        EXPECT_EQ(elevationAt(3072, 4099), -32768);
        EXPECT_EQ(elevationAt(3072, 4100), 0);
        EXPECT_EQ(elevationAt(4095, 5119), 0);
    });
    EXPECT_EQ(out, "");
}

TEST_F(ElevationTile, ShortAndLongFiles)
{
    // Only the first row: 1025 samples, 2,050 bytes.
    const std::string full = elevationFileBytes([](int r, int c) { return 1 + r * 2 + c; });
    writeFile("zsi-80-154.egm", full.substr(0, 2050));
    EXPECT_EQ(elevationAt(81920, 157696), 1);
    EXPECT_EQ(elevationAt(81920, 157696 + 1023), 1024);
    EXPECT_EQ(elevationAt(81921, 157696), 0);
    EXPECT_EQ(elevationAt(81920 + 1023, 157696 + 1023), 0);

    // An odd byte count: the half sample at the end is not read.
    writeFile("zsi-81-154.egm", full.substr(0, 2051));
    EXPECT_EQ(elevationAt(82944, 157696 + 1023), 1024);
    EXPECT_EQ(elevationAt(82945, 157696), 0);

    // Excess bytes after the grid are ignored.
    writeFile("zsi-82-154.egm", full + std::string(1000, '\x7F'));
    EXPECT_EQ(elevationAt(83968 + 1023, 157696 + 1023), 1 + 2046 + 1023);
    EXPECT_EQ(elevationAt(83968, 157696), 1);

    writeFile("zsi-83-154.egm", "");
    EXPECT_EQ(captureStdout([] { EXPECT_EQ(elevationAt(84992, 157696), 0); }), "");
}

TEST_F(ElevationTile, MissingFileIsRetriedOnEveryRequest)
{
    const std::string missing = "Not open egm 'zsi-80-154.egm'\n";
    EXPECT_EQ(captureStdout([] { EXPECT_EQ(elevationAt(82912, 158375), 0); }), missing);
    EXPECT_EQ(captureStdout([] {
                  EXPECT_EQ(elevationAt(82912, 158375), 0);
                  EXPECT_EQ(elevationAt(81920, 157696), 0);
              }),
              missing + missing);

    writeFile("zsi-80-154.egm", elevationFileBytes([](int r, int c) { return pattern(80, r, c); }));
    EXPECT_EQ(captureStdout([] { EXPECT_EQ(elevationAt(82912, 158375), 15511); }), "");

    // Once loaded the grid is kept: changing or removing the file is not seen.
    writeFile("zsi-80-154.egm", elevationFileBytes([](int, int) { return 9; }));
    std::remove("zsi-80-154.egm");
    EXPECT_EQ(captureStdout([] { EXPECT_EQ(elevationAt(82912, 158375), 15511); }), "");

    // Other files are still asked for by their own names.
    EXPECT_EQ(captureStdout([] { elevationAt(82944, 158375); }), "Not open egm 'zsi-81-154.egm'\n");
}

TEST_F(ElevationTile, CornersOutsideTheGridReadZeroSilently)
{
    // Truncating division would put -1 .. -1023 into file 0 and the corners
    // just past the edge into slots beyond the table.
    writeFile("zsi-0-0.egm", elevationFileBytes([](int, int) { return 77; }));
    writeFile("zsi-0-255.egm", elevationFileBytes([](int, int) { return 78; }));
    writeFile("zsi-255-0.egm", elevationFileBytes([](int, int) { return 79; }));
    const int32_t outside[][2] = {
        {-1, 5},           {5, -1},     {-1024, 0},         {0, -1024},          {262144, 0},
        {0, 262144},       {262144, 262144}, {INT32_MIN, 0}, {0, INT32_MIN},      {INT32_MAX, 0},
        {0, INT32_MAX},    {-1, 262144}, {-262145, 3},      {INT32_MIN, INT32_MAX},
    };
    const std::string out = captureStdout([&] {
        for (const auto& corner : outside)
            EXPECT_EQ(elevationAt(corner[0], corner[1]), 0) << corner[0] << ", " << corner[1];
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(elevationAt(0, 5), 77);
    EXPECT_EQ(elevationAt(0, 262143), 78);
    EXPECT_EQ(elevationAt(262143, 0), 79);

    // Nothing is opened for them even when no file is there to be found.
    clearElevationCache();
    std::remove("zsi-0-0.egm");
    EXPECT_EQ(captureStdout([] { EXPECT_EQ(elevationAt(-1, 5), 0); }), "");
    EXPECT_EQ(captureStdout([] { elevationAt(0, 5); }), "Not open egm 'zsi-0-0.egm'\n");
}

} // namespace
