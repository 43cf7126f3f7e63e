#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/elevation_tile.h"
#include "prep_fixtures.h"
#include "support/test_support.h"

namespace {

// The flight at 55 N 37.5 E: centre tile (82915, 158378), whose patch reads
// zsi-80-154.egm and zsi-81-154.egm.
constexpr int32_t FILE_ROW = 80;
constexpr int32_t FILE_COL = 154;

struct Corner {
    int fileRow; // 80 or 81
    int r;
    int c;
};

const std::vector<Corner> CHOSEN = {
    {80, 0, 0}, {80, 0, 1024}, {80, 992, 679}, {80, 513, 77}, {80, 1023, 5}, {80, 1024, 1024},
    {81, 0, 0}, {81, 700, 300}, {81, 1024, 1024}, {81, 311, 1000},
};

double latOf(const Corner& k)
{
    return latitudeOfRow(k.fileRow * 1024 + k.r);
}

double lonOf(const Corner& k)
{
    return longitudeOfCol(FILE_COL * 1024 + k.c);
}

std::string egmPath(const std::string& dir, int fileRow)
{
    return dir + "/zsi-" + std::to_string(fileRow) + "-" + std::to_string(FILE_COL) + ".egm";
}

std::string flightDir()
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/flight.log", logAt(55.0, 37.5));
    return dir;
}

struct Totals {
    long long fromDem = -1;
    long long noData = -1;
    long long uncovered = -1;
};

Totals totalsOf(const std::string& out)
{
    Totals t;
    const size_t at = out.find("terrain: ");
    if (at != std::string::npos)
        std::sscanf(out.c_str() + at, "terrain: %*d elevation files written, %*d kept; samples: %lld from DEMs, %lld no-data and %lld uncovered",
                    &t.fromDem, &t.noData, &t.uncovered);
    return t;
}

// 1000 m at 38 E 55 N, rising 250 m per degree east and falling 400 m per
// degree north: an affine field, which bilinear interpolation reproduces.
double wgs84Field(double lon, double lat)
{
    return 1000.0 + 250.0 * (lon - 38.0) - 400.0 * (lat - 55.0);
}

// Easting and northing in metres of UTM zone 37 N.
double utmField(double e, double n)
{
    return 100.0 + 0.002 * (e - 300000.0) + 0.003 * (n - 5950000.0);
}

TEST(PrepTerrain, WholeFilesFromAGeographicDem)
{
    const std::string dir = flightDir();
    writeGeoTiff(dir + "/dem.tif", 4326, 200, 150, {36.0, 0.02, 0, 56.5, 0, -0.02}, wgs84Field);

    const ProgramRun run = runCommand(prepPath() + " --no-relief terrain flight.log dem.tif", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("CI,CJ=82915 158378\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("terrain: 2 elevation files written, 0 kept; samples: " + std::to_string(2 * EGM_SAMPLE_COUNT)
                           + " from DEMs, 0 no-data and 0 uncovered"),
              std::string::npos)
        << run.out;
    for (int fileRow : {FILE_ROW, FILE_ROW + 1})
        EXPECT_EQ(std::filesystem::file_size(egmPath(dir, fileRow)), EGM_FILE_BYTES);

    for (const Corner& k : CHOSEN) {
        const double expected = wgs84Field(lonOf(k), latOf(k));
        EXPECT_NEAR(elevationSample(egmPath(dir, k.fileRow), k.r, k.c), expected, 0.501)
            << k.fileRow << " " << k.r << " " << k.c;
    }
    // Row 1024 of a file is the next file's row 0: the same corners.
    for (int c : {0, 333, 1024})
        EXPECT_EQ(elevationSample(egmPath(dir, FILE_ROW), 1024, c), elevationSample(egmPath(dir, FILE_ROW + 1), 0, c));
    EXPECT_FALSE(std::filesystem::exists(egmPath(dir, FILE_ROW) + ".part"));
}

TEST(PrepTerrain, ProjectedDemIsSampledThroughItsCrs)
{
    const std::string dir = flightDir();
    writeGeoTiff(dir + "/utm.tif", 32637, 260, 300, {300000.0, 1000.0, 0, 6250000.0, 0, -1000.0}, utmField);

    const ProgramRun run = runCommand(prepPath() + " --no-relief terrain flight.log utm.tif", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(totalsOf(run.out).fromDem, 2 * EGM_SAMPLE_COUNT) << run.out;
    for (const Corner& k : CHOSEN) {
        double e = 0;
        double n = 0;
        projectFromWgs84(32637, lonOf(k), latOf(k), e, n);
        EXPECT_NEAR(elevationSample(egmPath(dir, k.fileRow), k.r, k.c), utmField(e, n), 0.501)
            << k.fileRow << " " << k.r << " " << k.c;
    }
}

// The first file spans 36.5625 to 37.96875 E. DEM A covers 36 to 37.3 E
// with two holes of no-data, DEM B 36.9 to 37.7 E at -500 m, and nothing
// covers the rest.
struct Region {
    double west, south, east, north;
    bool contains(double lon, double lat, double margin) const
    {
        return lon > west + margin && lon < east - margin && lat > south + margin && lat < north - margin;
    }
    bool near(double lon, double lat, double margin) const
    {
        return lon > west - margin && lon < east + margin && lat > south - margin && lat < north + margin
               && !contains(lon, lat, margin);
    }
};
const Region HOLE_FILLED_BY_B = {37.0, 55.0, 37.2, 55.2};
const Region HOLE_OVER_NOTHING = {36.6, 55.0, 36.8, 55.2};
constexpr double NO_DATA = -9999.0;
constexpr double B_HEIGHT = -500.0;

double fieldA(double lon, double lat)
{
    if (HOLE_FILLED_BY_B.contains(lon, lat, 0) || HOLE_OVER_NOTHING.contains(lon, lat, 0))
        return NO_DATA;
    return 1000.0 + 100.0 * (lon - 36.0);
}

TEST(PrepTerrain, FirstCoveringDemWinsAndNoDataFallsThrough)
{
    const std::string dir = flightDir();
    writeGeoTiff(dir + "/a.tif", 4326, 65, 150, {36.0, 0.02, 0, 56.5, 0, -0.02}, fieldA, &NO_DATA);
    writeGeoTiff(dir + "/b.tif", 4326, 40, 150, {36.9, 0.02, 0, 56.5, 0, -0.02},
                 [](double, double) { return B_HEIGHT; });
    const std::string reversed = dir + "/reversed";
    std::filesystem::create_directory(reversed);

    const ProgramRun ab = runCommand(prepPath() + " --no-relief terrain flight.log a.tif b.tif", dir);
    ASSERT_EQ(ab.status, 0) << ab.err;
    const ProgramRun ba = runCommand(prepPath() + " --no-relief --dir reversed terrain flight.log b.tif a.tif", dir);
    ASSERT_EQ(ba.status, 0) << ba.err;

    // Every 16th corner of the first file, away from the DEM and hole edges.
    const double margin = 0.05;
    int checked[6] = {};
    for (int r = 0; r <= 1024; r += 16) {
        for (int c = 0; c <= 1024; c += 16) {
            const Corner k{FILE_ROW, r, c};
            const double lon = lonOf(k);
            const double lat = latOf(k);
            if (std::fabs(lon - 36.9) < margin || std::fabs(lon - 37.3) < margin || std::fabs(lon - 37.7) < margin
                || HOLE_FILLED_BY_B.near(lon, lat, margin) || HOLE_OVER_NOTHING.near(lon, lat, margin))
                continue;
            const int got = elevationSample(egmPath(dir, FILE_ROW), r, c);
            const int gotReversed = elevationSample(egmPath(reversed, FILE_ROW), r, c);
            const double a = 1000.0 + 100.0 * (lon - 36.0);
            if (lon > 37.7) {
                EXPECT_EQ(got, 0);
                EXPECT_EQ(gotReversed, 0);
                ++checked[0];
            } else if (HOLE_OVER_NOTHING.contains(lon, lat, margin)) {
                EXPECT_EQ(got, 0);
                EXPECT_EQ(gotReversed, 0);
                ++checked[1];
            } else if (HOLE_FILLED_BY_B.contains(lon, lat, margin)) {
                EXPECT_EQ(got, B_HEIGHT);
                EXPECT_EQ(gotReversed, B_HEIGHT);
                ++checked[2];
            } else if (lon < 36.9) {
                EXPECT_NEAR(got, a, 0.501) << lon << " " << lat;
                EXPECT_EQ(gotReversed, got) << lon << " " << lat;
                ++checked[3];
            } else if (lon < 37.3) {
                EXPECT_NEAR(got, a, 0.501) << lon << " " << lat;
                EXPECT_EQ(gotReversed, B_HEIGHT) << lon << " " << lat;
                ++checked[4];
            } else {
                EXPECT_EQ(got, B_HEIGHT);
                EXPECT_EQ(gotReversed, B_HEIGHT);
                ++checked[5];
            }
        }
    }
    for (int n : checked)
        EXPECT_GT(n, 0);

    // No height of either DEM rounds to 0, so the zeros in the files are
    // exactly the no-data and uncovered samples the summary counts.
    long long zeros = 0;
    for (int fileRow : {FILE_ROW, FILE_ROW + 1}) {
        const std::string bytes = readFile(egmPath(dir, fileRow));
        ASSERT_EQ(bytes.size(), EGM_FILE_BYTES);
        for (size_t i = 0; i < bytes.size(); i += 2)
            zeros += bytes[i] == 0 && bytes[i + 1] == 0;
    }
    const Totals t = totalsOf(ab.out);
    EXPECT_GT(t.noData, 0) << ab.out;
    EXPECT_GT(t.uncovered, 0) << ab.out;
    EXPECT_EQ(t.noData + t.uncovered, zeros) << ab.out;
    EXPECT_EQ(t.fromDem + zeros, 2 * EGM_SAMPLE_COUNT) << ab.out;
    // In either order only the hole over nothing stays no-data.
    const Totals r = totalsOf(ba.out);
    EXPECT_EQ(r.noData, t.noData) << ba.out;
    EXPECT_EQ(r.uncovered, t.uncovered) << ba.out;
}

TEST(PrepTerrain, BadInputEndsWithOneLineAndWritesNothing)
{
    const std::string dir = flightDir();
    writeGeoTiff(dir + "/dem.tif", 4326, 20, 20, {37.0, 0.05, 0, 56.0, 0, -0.05}, wgs84Field);
    writeGeoTiff(dir + "/nocrs.tif", 0, 20, 20, {37.0, 0.05, 0, 56.0, 0, -0.05}, wgs84Field);
    writeFile(dir + "/junk.tif", "not a raster\n");
    writeFile(dir + "/nopos.log", "gps_time,gps_curalt\n1,100\n");
    writeFile(dir + "/norows.log", "gps_time,gps_curlat,gps_curlon\n");

    struct Case {
        std::string args;
        std::string message; // after "flightreplay-prep: "
    };
    const std::vector<Case> cases = {
        {"terrain flight.log dem.tif junk.tif", "junk.tif: cannot open as a raster: "},
        {"terrain flight.log no/such.tif", "no/such.tif: cannot open as a raster: "},
        {"terrain flight.log nocrs.tif", "nocrs.tif: has no coordinate reference system"},
        {"terrain nopos.log dem.tif", "nopos.log: no positions"},
        {"terrain norows.log dem.tif", "norows.log: no positions"},
        {"terrain missing.log dem.tif", "missing.log: cannot open: "},
        {"--bbox 86,10,87,11 terrain dem.tif", "--bbox: the area lies outside the Web-Mercator range"},
        {"--bbox 55,37,54,38 terrain dem.tif", "--bbox 55,37,54,38: south must not exceed north"},
        {"--bbox 55,37,56 terrain dem.tif", "--bbox 55,37,56: expected S,W,N,E in degrees"},
        {"terrain flight.log", "terrain: no DEM given"},
        {"survey flight.log", "survey: unknown command"},
    };
    for (const Case& c : cases) {
        const ProgramRun run = runCommand(prepPath() + " " + c.args, dir);
        EXPECT_EQ(run.status, 2) << c.args;
        const std::string prefix = "flightreplay-prep: " + c.message;
        EXPECT_EQ(run.err.compare(0, prefix.size(), prefix), 0) << c.args << "\n" << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.args << "\n" << run.err;
    }
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        static_cast<void>(entry);
        ++files;
    }
    EXPECT_EQ(files, 6); // the inputs alone
}

} // namespace
