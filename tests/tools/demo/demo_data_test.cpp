#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>
#include <unistd.h>

#include <osg/Image>
#include <osgDB/ReadFile>

#include "log/log_reader.h"
#include "frame/elevation_tile.h"
#include "frame/map_frame.h"
#include "frame/terrain_tiles.h"
#include "log/flight_log.h"
#include "path/animation_path.h"
#include "support/test_support.h"

namespace {

const std::string demoDir = DEMO_DIR;

// The demo log scanned into the table and the map frame set up from it.
void loadDemoLog()
{
    const std::string echoed = scanText(readFile(demoDir + "/demo.log"));
    ASSERT_EQ(echoed, "");
    const LogExtents e = computeLogExtents();
    captureStdout([&] { setupMapFrame(e.latMin, e.latMax, e.lonMin, e.lonMax); });
}

osg::Vec3f scenePosition(int row)
{
    const LogRow& r = flightLog.rows[row];
    return geoToScene(r.gps_curlat / 60.0, r.gps_curlon / 60.0, r.gps_curalt);
}

double metresBetween(int a, int b)
{
    return (scenePosition(a) - scenePosition(b)).length() / mapFrame.k;
}

TEST(DemoData, LogHasAllFieldsAndAboutTenThousandRows)
{
    loadDemoLog();
    EXPECT_GE(rowCount(), 8001); // the replay's own time scale needs 8001 rows
    EXPECT_LE(rowCount(), MAX_LOG_ROWS);
    EXPECT_EQ(flightLog.ignoredLines, 0);
    ASSERT_EQ(flightLog.maxColumn, LOG_FIELD_COUNT - 1);
    for (int c = 0; c < LOG_FIELD_COUNT; ++c)
        EXPECT_EQ(flightLog.cols[c], c + 1) << "column " << c;
    // Time advances at the logging rate; the battery drains.
    const LogRow& first = flightLog.rows[0];
    const LogRow& last = flightLog.rows[rowCount() - 1];
    EXPECT_NEAR(last.gps_time - first.gps_time, (rowCount() - 1) * 0.2, 1e-3);
    EXPECT_GT(last.mah, first.mah + 500.0);
    EXPECT_LT(last.voltage1, first.voltage1 - 0.5);
    EXPECT_EQ(last.samplenumber, rowCount() - 1);
}

TEST(DemoData, ReplayJumpsLandWhereTheyLeft)
{
    loadDemoLog();
    // The replay goes straight from row 2500 to 4500 and from 7000 to 8000.
    EXPECT_LT(metresBetween(2500, 4500), 2.0);
    EXPECT_LT(metresBetween(7000, 8000), 2.0);
    EXPECT_NEAR(flightLog.rows[2500].gps_curheading, flightLog.rows[4500].gps_curheading, 0.02);
    EXPECT_NEAR(flightLog.rows[7000].pyro_curroll, flightLog.rows[8000].pyro_curroll, 0.02);
    // Elsewhere a row is never far from the next: 15 m/s at 5 rows a second.
    for (int i = 0; i + 1 < rowCount(); ++i)
        ASSERT_LT(metresBetween(i, i + 1), 3.5) << "row " << i;
}

// The model's nose is -x and its left wing +z; after the replay's attitude
// mapping the nose must point along the track and a turn must bank into it.
TEST(DemoData, AttitudeShowsTheModelFlyingAlongTheTrack)
{
    loadDemoLog();
    int checked = 0;
    int banked = 0;
    for (int i = 200; i + 1 < rowCount() - 300; i += 7) {
        const LogRow& r = flightLog.rows[i];
        if (r.gps_curspeed < 10.0)
            continue;
        osg::Vec3f along = scenePosition(i + 1) - scenePosition(i - 1);
        along.z() = 0;
        along.normalize();
        const osg::Quat q = attitudeOf(r.gps_curheading, r.pyro_curpitch, r.pyro_curroll);
        osg::Vec3f nose = q * osg::Vec3f(-1, 0, 0);
        const osg::Vec3f left = q * osg::Vec3f(0, 0, 1);
        const osg::Vec3f up = q * osg::Vec3f(0, 1, 0);
        EXPECT_GT(up.z(), 0.8f) << "row " << i;
        // The nose may point up or down by the pitch, not sideways.
        nose.z() = 0;
        nose.normalize();
        ASSERT_GT(nose * along, 0.99f) << "row " << i;
        // Turning left (heading rising) drops the left wing, and back.
        if (std::fabs(r.turn_rate) > 0.1) {
            EXPECT_EQ(left.z() < 0, r.turn_rate > 0) << "row " << i;
            ++banked;
        }
        ++checked;
    }
    EXPECT_GT(checked, 1000);
    EXPECT_GT(banked, 300);
}

TEST(DemoData, AircraftTakesOffFromTheGroundAndNeverGoesUnderIt)
{
    loadDemoLog();
    char* previous = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(demoDir.c_str()), 0);
    clearElevationCache();
    const double lift = TERRAIN_FINEST_ZOOM * LEVEL_LIFT;
    auto groundUnder = [&](int i) {
        const osg::Vec3f p = scenePosition(i);
        const auto row = static_cast<int32_t>(std::lround(p.x())) + mapFrame.CI;
        const auto col = static_cast<int32_t>(std::lround(p.y())) + mapFrame.CJ;
        return elevationAt(row, col) + lift;
    };
    std::string messages = captureStdout([&] {
        for (int i = 0; i < 50; ++i) {
            const double above = flightLog.rows[i].gps_curalt - groundUnder(i);
            EXPECT_GT(above, 0.5) << "row " << i;
            EXPECT_LT(above, 2.0) << "row " << i;
        }
        for (int i = 0; i < rowCount(); ++i)
            ASSERT_GT(flightLog.rows[i].gps_curalt - groundUnder(i), 0.5) << "row " << i;
    });
    EXPECT_EQ(messages, "");
    // It flies: well over a hundred metres at its highest.
    double highest = 0;
    for (int i = 0; i < rowCount(); ++i)
        highest = std::fmax(highest, flightLog.rows[i].gps_curalt - flightLog.rows[0].gps_curalt);
    EXPECT_GT(highest, 100.0);
    clearElevationCache();
    ASSERT_EQ(chdir(previous), 0);
    std::free(previous);
}

TEST(DemoData, HillsAroundAFlatAirfield)
{
    loadDemoLog();
    char* previous = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(demoDir.c_str()), 0);
    clearElevationCache();
    const osg::Vec3f start = scenePosition(0);
    struct Corner {
        int height;
        int across; // height of the tile's opposite corner
        double metres; // from the take-off point
        int32_t span;
    };
    std::vector<Corner> corners;
    const std::string messages = captureStdout([&] {
        forEachTerrainTile(mapFrame.CI, mapFrame.CJ, [&](const TerrainTile& tile) {
            const osg::Vec3f corner = gridToScene(tile.northRow, tile.westCol, 0);
            corners.push_back({elevationAt(tile.northRow, tile.westCol),
                               elevationAt(tile.northRow + tile.span, tile.westCol + tile.span),
                               std::hypot(corner.x() - start.x(), corner.y() - start.y()) / mapFrame.k, tile.span});
        });
    });
    int lowest = 100000;
    int highest = -100000;
    int flatCorners = 0;
    for (const Corner& c : corners) {
        lowest = std::min(lowest, c.height);
        highest = std::max(highest, c.height);
        if (c.metres < 250.0) {
            // The runway's height, under the aircraft standing at its end.
            EXPECT_NEAR(c.height + TERRAIN_FINEST_ZOOM * LEVEL_LIFT, flightLog.rows[0].gps_curalt, 3.0);
            if (c.span == 1) {
                EXPECT_EQ(c.height, c.across);
            }
            ++flatCorners;
        }
    }
    EXPECT_EQ(messages, "");
    EXPECT_GE(flatCorners, 12); // zoom-18 corners, 100 m apart
    EXPECT_GT(highest - lowest, 40); // rolling hills further out
    EXPECT_LT(highest - lowest, 400);
    clearElevationCache();
    ASSERT_EQ(chdir(previous), 0);
    std::free(previous);
}

TEST(DemoData, ReplayFindsEveryFileItReads)
{
    const ProgramRun run = runCommand(programPath() + " demo.log", demoDir);
    EXPECT_EQ(run.out.find("Not open"), std::string::npos) << run.out.substr(0, 2000);
    EXPECT_EQ(run.out.find("Not found model"), std::string::npos);
    size_t tiles = 0;
    for (size_t at = run.out.find("img:"); at != std::string::npos; at = run.out.find("img:", at + 1))
        ++tiles;
    EXPECT_EQ(tiles, static_cast<size_t>(TERRAIN_TILE_COUNT));
    // The JPEG and AC3D readers say nothing about the files.
    for (const char* complaint : {"Could not", "rror reading", "Warning", "arning:", "corrupt"})
        EXPECT_EQ(run.err.find(complaint), std::string::npos) << complaint << " in:\n" << run.err;
}

// Colour distance between a zoom-18 tile shrunk to half size and the quarter
// of its zoom-17 parent over the same ground; flipped mirrors the child
// north to south first.
double quarterDifference(const osg::Image& child, const osg::Image& parent, int32_t row, int32_t col, bool flipped)
{
    double sum = 0;
    const int qx = (col % 2) * 128;
    const int qy = (row % 2) ? 0 : 128; // image rows count from the south
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            const int cy = flipped ? 127 - y : y;
            const unsigned char* p = parent.data(qx + x, qy + y);
            for (int ch = 0; ch < 3; ++ch) {
                const double c = (child.data(2 * x, 2 * cy)[ch] + child.data(2 * x + 1, 2 * cy)[ch]
                                  + child.data(2 * x, 2 * cy + 1)[ch] + child.data(2 * x + 1, 2 * cy + 1)[ch]) / 4.0;
                sum += std::fabs(c - p[ch]);
            }
        }
    }
    return sum / (128 * 128 * 3);
}

TEST(DemoData, TilesOfNeighbouringZoomsShowTheSameGround)
{
    loadDemoLog();
    int pairs = 0;
    double same = 0;
    double mirrored = 0;
    forEachTerrainTile(mapFrame.CI, mapFrame.CJ, [&](const TerrainTile& tile) {
        if (tile.zoom != 18)
            return;
        TerrainTile parent = tile;
        parent.zoom = 17;
        parent.row = tile.row / 2;
        parent.col = tile.col / 2;
        osg::ref_ptr<osg::Image> child = osgDB::readImageFile(demoDir + "/" + terrainImageName(tile));
        osg::ref_ptr<osg::Image> big = osgDB::readImageFile(demoDir + "/" + terrainImageName(parent));
        if (!big) // the parent lies in the inner square the patch leaves out
            return;
        ASSERT_TRUE(child);
        ASSERT_EQ(child->s(), 256);
        ASSERT_EQ(big->t(), 256);
        same += quarterDifference(*child, *big, tile.row, tile.col, false);
        mirrored += quarterDifference(*child, *big, tile.row, tile.col, true);
        ++pairs;
    });
    ASSERT_GT(pairs, 10);
    EXPECT_LT(same / pairs, 8.0);
    EXPECT_GT(mirrored / pairs, same / pairs * 1.5);
}

TEST(DemoData, SkyAndAircraftAreReadable)
{
    osg::ref_ptr<osg::Image> sky = osgDB::readImageFile(demoDir + "/sky12q-1024x512.jpeg");
    ASSERT_TRUE(sky);
    EXPECT_EQ(sky->s(), 1024);
    EXPECT_EQ(sky->t(), 512);
    // Blue above the horizon (the upper half, image rows count from the
    // bottom), darker land colours below it.
    auto meanOf = [&](int firstRow, int lastRow, int channel) {
        double sum = 0;
        for (int y = firstRow; y <= lastRow; ++y)
            for (int x = 0; x < 1024; x += 4)
                sum += sky->data(x, y)[channel];
        return sum / ((lastRow - firstRow + 1) * 256);
    };
    EXPECT_GT(meanOf(300, 511, 2), meanOf(300, 511, 0) + 30);
    EXPECT_LT(meanOf(0, 200, 2), meanOf(300, 511, 2) - 60);

    osg::ref_ptr<osg::Node> model = osgDB::readNodeFile(demoDir + "/EasyStar/data/body.ac");
    ASSERT_TRUE(model);
    const osg::BoundingSphere bound = model->getBound();
    // A trainer of about 1.4 m span, nose to tail along x, wings along z.
    EXPECT_GT(bound.radius(), 0.6f);
    EXPECT_LT(bound.radius(), 0.9f);
}

// The generator's main is the companions' one: usage on --help, every
// failure one line after the program's name and status 2, nothing half
// written.
TEST(DemoDataProgram, UsageAndOneErrorLine)
{
    const std::string program = DEMO_DATA_BINARY;
    const ProgramRun help = runCommand(program + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: flightreplay-demo-data FOLDER\n", 0), 0u) << help.out;

    const ProgramRun bare = runCommand(program);
    EXPECT_EQ(bare.status, 2);
    EXPECT_EQ(bare.err, "flightreplay-demo-data: no FOLDER given (see --help)\n");

    const std::string dir = makeTempDir();
    writeFile(dir + "/plain", "a file, not a folder");
    const ProgramRun blocked = runCommand(program + " plain/demo", dir);
    EXPECT_EQ(blocked.status, 2);
    EXPECT_EQ(blocked.err.rfind("flightreplay-demo-data: plain/demo/EasyStar/data: cannot create the folder: ", 0), 0u)
        << blocked.err;
    EXPECT_EQ(std::count(blocked.err.begin(), blocked.err.end(), '\n'), 1);
}

} // namespace
