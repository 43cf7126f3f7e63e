#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <osg/Image>
#include <osgDB/ReadFile>
#include <osgDB/Registry>
#include <sstream>

#include "frame/elevation_tile.h"
#include "frame/terrain_tiles.h"
#include "prep_fixtures.h"
#include "support/test_support.h"
#include "tile_server.h"

namespace fs = std::filesystem;

namespace {

// The flight at 46.5 N 7.6 E; its patch reads elevation from the cells of
// 45-47 N, 6-8 E, of which those of 8 E are sea (no file).
constexpr double LAT = 46.5;
constexpr double LON = 7.6;
constexpr int CELL_PIXELS = 120;

double ground(double lon, double lat)
{
    return 800.0 + 400.0 * std::sin(3.0 * lon) + 300.0 * std::cos(4.0 * lat);
}

std::string cellName(int lat, int lon)
{
    char name[64];
    std::snprintf(name, sizeof name, "Copernicus_DSM_COG_10_N%02d_00_E%03d_00_DEM", lat, lon);
    return name;
}

// Cells laid out as the Copernicus bucket: NAME/NAME.tif, the origin half a
// pixel outside the north-west corner. Returns the files in name order.
std::vector<std::string> writeCells(const std::string& root)
{
    std::vector<std::string> files;
    for (int lat = 45; lat <= 47; ++lat) {
        for (int lon = 6; lon <= 7; ++lon) {
            const std::string name = cellName(lat, lon);
            fs::create_directories(root + "/dem/" + name);
            const double step = 1.0 / CELL_PIXELS;
            const std::string path = root + "/dem/" + name + "/" + name + ".tif";
            writeGeoTiff(path, 4326, CELL_PIXELS, CELL_PIXELS,
                         {lon - step / 2, step, 0, lat + 1 + step / 2, 0, -step}, ground);
            files.push_back(path);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// PNG tiles of the patch's area at zooms 13 to 16 only, a full 7 x 7 square
// at each, each tile its own colour: zooms 17 and 18 must be cut from 16.
void writeTileTree(const std::string& root)
{
    const int32_t ci = 92734; // the zoom-18 centre tile of LAT, LON
    const int32_t cj = 136606;
    for (int zoom = 16; zoom >= 13; --zoom) {
        const int32_t r0 = ci >> (18 - zoom);
        const int32_t c0 = cj >> (18 - zoom);
        for (int32_t r = r0 - 3; r <= r0 + 3; ++r) {
            for (int32_t c = c0 - 3; c <= c0 + 3; ++c) {
                const std::string folder = root + "/tiles/" + std::to_string(zoom) + "/" + std::to_string(c);
                fs::create_directories(folder);
                const osg::Vec3 colour(0.2f + 0.1f * static_cast<float>(zoom - 13), 0.3f + 0.08f * static_cast<float>(r - r0 + 3),
                                       0.2f + 0.1f * static_cast<float>(c - c0 + 3));
                writeFile(folder + "/" + std::to_string(r) + ".png", tileBytes(colour, "png"));
            }
        }
    }
}

struct Area {
    std::string root;  // what the server serves
    std::string work;  // the flight log lives here
    std::vector<std::string> cells;
};

const Area& area()
{
    static const Area made = [] {
        Area a;
        a.root = makeTempDir();
        a.work = makeTempDir();
        a.cells = writeCells(a.root);
        writeTileTree(a.root);
        writeFile(a.work + "/flight.log", logAt(LAT, LON));
        return a;
    }();
    return made;
}

// No request of a test may leave 127.0.0.1: no proxy in between (curl and
// GDAL would take these), and every source of a fetch on a test server.
const std::string WITHOUT_PROXIES = "env -u http_proxy -u https_proxy -u HTTP_PROXY -u HTTPS_PROXY -u ALL_PROXY"
                                    " -u all_proxy -u no_proxy -u NO_PROXY -u GDAL_HTTP_PROXY -u GDAL_HTTPS_PROXY ";

// prep fetch of flight.log with the cells from demServer and the tiles from
// tileServer (none: relief drawn from the elevation).
std::string fetchFrom(const std::string& demServer, const std::string& tileServer, const std::string& args)
{
    std::string command = WITHOUT_PROXIES + prepPath() + " fetch flight.log --dem-source " + demServer + "/dem ";
    if (!tileServer.empty())
        command += "--imagery '" + tileServer + "/tiles/{z}/{x}/{y}.png' ";
    return command + args;
}

std::string fetchCommand(const TileServer& server, const std::string& dir, const std::string& cache,
                         const std::string& more = "")
{
    return fetchFrom(server.url(), server.url(), "--dir " + dir + " --cache " + cache + " " + more);
}

// Runs the shell command in dir without waiting; the command replaces the
// shell, so that the process id is the command's own.
pid_t startCommand(const std::string& command, const std::string& dir)
{
    const std::string line = "exec " + command;
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) == 0)
            execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// When the file was last written, in seconds since the epoch.
double modifiedAt(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return 0.0;
    return static_cast<double>(info.st_mtim.tv_sec) + static_cast<double>(info.st_mtim.tv_nsec) * 1e-9;
}

std::vector<std::string> filesUnder(const std::string& dir, const std::string& extension)
{
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(dir, error))
        if (entry.is_regular_file() && (extension.empty() || entry.path().extension() == extension))
            found.push_back(fs::relative(entry.path(), dir).string());
    std::sort(found.begin(), found.end());
    return found;
}

// Nothing half-written: no temporary file, every tile a whole image, every
// elevation file whole, every cached tile decodable or a no-data marker.
void expectNothingCorrupt(const std::string& dir, const std::string& cache, const std::string& label)
{
    for (const std::string& folder : {dir, cache}) {
        for (const std::string& name : filesUnder(folder, "")) {
            const std::string path = folder + "/" + name;
            EXPECT_EQ(name.find(".part"), std::string::npos) << label << ": " << path;
            EXPECT_EQ(name.find(".tmp"), std::string::npos) << label << ": " << path;
            if (name.find("img/") == 0 || name.find("tiles/") == 0) {
                if (fs::path(name).extension() == ".none")
                    continue;
                // Cached tiles keep the source's bytes under a name without extension.
                std::istringstream bytes(readFile(path));
                osgDB::ReaderWriter* png = osgDB::Registry::instance()->getReaderWriterForExtension("png");
                osg::ref_ptr<osg::Image> image = name.find("img/") == 0 ? osgDB::readImageFile(path)
                                                                         : png->readImage(bytes).getImage();
                EXPECT_TRUE(image && image->s() == 256 && image->t() == 256) << label << ": " << path;
            }
            if (fs::path(name).extension() == ".egm") {
                EXPECT_EQ(fs::file_size(path), EGM_FILE_BYTES) << label << ": " << path;
            }
        }
    }
}

TEST(PrepFetch, OverHttpWritesWhatTheLocalCommandsWriteAndCachesIt)
{
    const Area& a = area();
    // Elevation and imagery on two hosts: the tiles come while the elevation is read.
    TileServer dem(a.root);
    TileServer server(a.root);
    const std::string cache = a.work + "/cache";
    const auto fetchBoth = [&](const std::string& dir) {
        return fetchFrom(dem.url(), server.url(), "--dir " + dir + " --cache " + cache);
    };

    ProgramRun run = runCommand(fetchBoth("net"), a.work);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("(89 cut and scaled from a shallower zoom)"), std::string::npos) << run.out;
    EXPECT_LT(run.out.find("elevation: "), run.out.find("imagery: ")) << run.out;
    double elevationWritten = 0;
    for (const std::string& name : filesUnder(a.work + "/net", ".egm"))
        elevationWritten = std::max(elevationWritten, modifiedAt(a.work + "/net/" + name));
    ASSERT_FALSE(server.requestTimes().empty());
    EXPECT_LT(server.requestTimes().front(), elevationWritten);

    std::string local = "prep terrain flight.log --dir local --no-relief";
    for (const std::string& cell : a.cells)
        local += " " + cell;
    run = runCommand(prepPath() + local.substr(4), a.work);
    ASSERT_EQ(run.status, 0) << run.err;
    run = runCommand(prepPath() + " imagery flight.log --dir local '" + a.root + "/tiles/{z}/{x}/{y}.png'", a.work);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("imagery: 249 image tiles written, 0 kept, 0 missing"), std::string::npos) << run.out;

    const std::vector<std::string> elevation = filesUnder(a.work + "/local", ".egm");
    ASSERT_FALSE(elevation.empty());
    EXPECT_EQ(filesUnder(a.work + "/net", ".egm"), elevation);
    for (const std::string& name : elevation)
        EXPECT_TRUE(readFile(a.work + "/net/" + name) == readFile(a.work + "/local/" + name)) << name;
    const std::vector<std::string> tiles = filesUnder(a.work + "/local/img", ".jpg");
    ASSERT_EQ(tiles.size(), 249u);
    EXPECT_EQ(filesUnder(a.work + "/net/img", ".jpg"), tiles);
    for (const std::string& name : tiles)
        EXPECT_TRUE(readFile(a.work + "/net/img/" + name) == readFile(a.work + "/local/img/" + name)) << name;

    // A zoom-18 tile in the top quarter of its zoom-16 ancestor is all the
    // ancestor's black band; the next row down is the ancestor's colour.
    osg::Vec3 body;
    float top = 1;
    ASSERT_TRUE(readTileColours(a.work + "/net/img/s-92732-136606.jpg", body, top));
    EXPECT_LT(top, 0.08f);
    EXPECT_LT(body.length(), 0.15f);
    ASSERT_TRUE(readTileColours(a.work + "/net/img/s-92733-136606.jpg", body, top));
    EXPECT_GT(top, 0.2f);
    expectNothingCorrupt(a.work + "/net", cache, "first fetch");

    // The same flight again elsewhere: everything from the cache.
    const int requests = dem.requests() + server.requests();
    EXPECT_GT(dem.requests(), 0);
    run = runCommand(fetchBoth("again"), a.work);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(dem.requests() + server.requests(), requests) << run.out;
    run = runCommand(prepPath() + " check flight.log --dir again", a.work);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(fs::exists(a.work + "/again/ATTRIBUTION.txt"));

    // Two fetches at once into one fresh cache.
    writeFile(a.work + "/twins.sh", "(" + fetchCommand(server, "twin1", "twin-cache") + " > one.out; echo $? > one.status) &\n"
                                       + fetchCommand(server, "twin2", "twin-cache") + "\nstatus=$?\nwait\nexit $status\n");
    run = runCommand("sh twins.sh", a.work);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(readFile(a.work + "/one.status"), "0\n") << readFile(a.work + "/one.out");
    expectNothingCorrupt(a.work + "/twin1", a.work + "/twin-cache", "concurrent fetch");
    expectNothingCorrupt(a.work + "/twin2", a.work + "/twin-cache", "concurrent fetch");
    EXPECT_TRUE(readFile(a.work + "/twin1/zsi-90-133.egm") == readFile(a.work + "/local/zsi-90-133.egm"));

    // Without an imagery service, relief drawn from the elevation: the same
    // as prep terrain draws from the same files, sea blue.
    run = runCommand(fetchFrom(dem.url(), "", "--dir relief --offline --cache " + cache), a.work);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    std::string drawn = local;
    drawn.replace(drawn.find("--dir local --no-relief"), 23, "--dir drawn");
    run = runCommand(prepPath() + drawn.substr(4), a.work);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("terrain: 249 relief tiles drawn where imagery is missing"), std::string::npos) << run.out;
    for (const std::string& name : tiles)
        EXPECT_TRUE(readFile(a.work + "/relief/img/" + name) == readFile(a.work + "/drawn/img/" + name)) << name;
}

TEST(PrepFetch, FaultsEndAsDocumentedAndLeaveNothingCorrupt)
{
    const Area& a = area();
    // The elevation file is there already, so that each case fetches tiles only.
    {
        TileServer server(a.root);
        ASSERT_EQ(runCommand(fetchCommand(server, "seed", "seed-cache"), a.work).status, 0);
    }
    // One zoom-13 tile of the patch, and a zoom-16 ancestor of deeper tiles.
    const std::string outer = "/13/4265/2894.png";
    struct Case {
        std::string fault;
        std::string match;
        int status;
        std::vector<std::string> expected; // in standard output
    };
    const std::string missing = "missing ./img/n-2894-4265.jpg (http://127.0.0.1:";
    const std::vector<Case> cases = {
        {"404", outer, 1, {missing, outer + ": not in the source)\nfailed: 1 file: not in the source\n"}},
        {"500", outer, 1, {missing, outer + ": HTTP 500)\nfailed: 1 file: HTTP 500\n"}},
        {"500-twice", outer, 0, {"fetch: complete"}},
        {"429", outer, 0, {"fetch: complete"}},
        {"slow", outer, 0, {"fetch: complete"}},
        {"short", outer, 1, {"failed: 1 file: Transferred a partial file\n"}},
        {"html200", outer, 1, {"failed: 1 file: HTTP 200 with a body that is no valid tile\n"}},
        {"redirect", "/16/", 0, {"fetch: complete"}},
    };
    for (const Case& c : cases) {
        const std::string label = c.fault + " " + c.match;
        const std::string dir = "fault-" + c.fault + std::to_string(&c - cases.data());
        const std::string cache = a.work + "/" + dir + "-cache";
        fs::create_directories(a.work + "/" + dir);
        for (const std::string& name : filesUnder(a.work + "/seed", ".egm"))
            fs::copy(a.work + "/seed/" + name, a.work + "/" + dir + "/" + name);
        TileServer server(a.root, {"--fault", c.fault, "--match", c.match, "--slow-once", "--slow-seconds", "2"});
        const ProgramRun run = runCommand(fetchCommand(server, dir, cache, "--timeout 1"), a.work);
        EXPECT_EQ(run.status, c.status) << label << "\n" << run.out << run.err;
        for (const std::string& text : c.expected)
            EXPECT_NE(run.out.find(text), std::string::npos) << label << "\n" << run.out;
        expectNothingCorrupt(a.work + "/" + dir, cache, label);
    }
}

TEST(PrepFetch, NoCacheOfflineOrNoServerEndsWithOneLine)
{
    const Area& a = area();
    std::string url;
    {
        TileServer gone(a.root);
        url = gone.url();
    }
    ProgramRun run = runCommand(fetchFrom(url, url, "--dir x --offline --cache empty-cache"), a.work);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "flightreplay-prep: --offline: the cache empty-cache is empty; fetch once while online\n");

    run = runCommand(fetchFrom(url, url, "--dir x --cache c2"), a.work);
    EXPECT_EQ(run.status, 2) << run.out;
    EXPECT_EQ(run.err.rfind("flightreplay-prep: 127.0.0.1:", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(": cannot connect: "), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

TEST(PrepFetch, InterruptLeavesNothingHalfWritten)
{
    const Area& a = area();
    std::string terrain = prepPath() + " --no-relief --dir stopped-tiles terrain flight.log";
    for (const std::string& cell : a.cells)
        terrain += " " + cell;
    ASSERT_EQ(runCommand(terrain, a.work).status, 0);
    // Answers come late, so that Ctrl-C finds requests in flight.
    TileServer server(a.root, {"--delay-ms", "300"});
    struct Case {
        std::string dir;
        std::string more;
        int requestsBefore; // the stop comes once the server has seen these
    };
    const std::vector<Case> cases = {
        // Elevation in place: some tiles written, others in flight.
        {"stopped-tiles", "", 8},
        // Elevation from height tiles: stopped before they all came, no
        // file may be made of those that did.
        {"stopped-heights", "--dem '" + server.url() + "/terrarium/{z}/{x}/{y}.png'", 1},
    };
    for (const Case& c : cases) {
        const std::string cache = a.work + "/" + c.dir + "-cache";
        const int before = server.requests();
        const pid_t fetch = startCommand(fetchCommand(server, c.dir, cache, c.more) + " > " + c.dir + ".out", a.work);
        ASSERT_TRUE(server.waitForRequests(before + c.requestsBefore, 120)) << c.dir;
        kill(fetch, SIGINT);
        int status = -1;
        waitpid(fetch, &status, 0);
        const std::string out = readFile(a.work + "/" + c.dir + ".out");
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << c.dir << "\n" << out;
        EXPECT_NE(out.find("fetch: interrupted;"), std::string::npos) << c.dir << "\n" << out;
        EXPECT_LT(filesUnder(a.work + "/" + c.dir + "/img", ".jpg").size(), 249u) << c.dir;
        expectNothingCorrupt(a.work + "/" + c.dir, cache, c.dir);
    }
    EXPECT_TRUE(filesUnder(a.work + "/stopped-heights", ".egm").empty());
    EXPECT_TRUE(filesUnder(a.work + "/stopped-heights-cache/elevation", "").empty());
}

// A 256 x 256 PNG of one colour.
std::string solidPng(unsigned char r, unsigned char g, unsigned char b)
{
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(256, 256, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (size_t i = 0; i < 256u * 256u; ++i) {
        image->data()[3 * i] = r;
        image->data()[3 * i + 1] = g;
        image->data()[3 * i + 2] = b;
    }
    std::ostringstream stream;
    osgDB::Registry::instance()->getReaderWriterForExtension("png")->writeImage(*image, stream);
    return stream.str();
}

TEST(PrepFetch, ElevationFromTerrariumAndTerrainRgbTiles)
{
    const Area& a = area();
    // zsi-90-133.egm spans zoom-10 tiles rows 360-363, columns 532-535; the
    // south-east one is missing (sea). 1234.5 m in both encodings.
    struct Case {
        std::string encoding;
        unsigned char rgb[3];
    };
    const std::vector<Case> cases = {{"terrarium", {132, 210, 128}}, {"terrain-rgb", {1, 182, 217}}};
    for (const Case& c : cases) {
        for (int32_t row = 360; row < 364; ++row) {
            for (int32_t col = 532; col < 536; ++col) {
                const std::string folder = a.root + "/" + c.encoding + "/10/" + std::to_string(col);
                fs::create_directories(folder);
                if (row != 363 || col != 535)
                    writeFile(folder + "/" + std::to_string(row) + ".png", solidPng(c.rgb[0], c.rgb[1], c.rgb[2]));
            }
        }
    }
    TileServer server(a.root);
    for (const Case& c : cases) {
        const std::string dir = "heights-" + c.encoding;
        const ProgramRun run = runCommand(fetchCommand(server, dir, dir + "-cache", "--dem '" + server.url() + "/"
                                                                                          + c.encoding
                                                                                          + "/{z}/{x}/{y}.png' --dem-encoding "
                                                                                          + c.encoding),
                                          a.work);
        EXPECT_EQ(run.status, 0) << c.encoding << run.out << run.err;
        const std::string file = a.work + "/" + dir + "/zsi-90-133.egm";
        EXPECT_EQ(elevationSample(file, 100, 100), 1235) << c.encoding;
        EXPECT_EQ(elevationSample(file, 700, 300), 1235) << c.encoding;
        EXPECT_EQ(elevationSample(file, 900, 900), 0) << c.encoding;
    }
}

std::string frameLine(const std::string& out)
{
    const size_t at = out.find("CI,CJ=");
    return at == std::string::npos ? "none" : out.substr(at, out.find('\n', at) - at);
}

TEST(PrepFetch, RawLogsAndSeveralFlightsSetTheFrameOfTheirUnion)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/track.gpx",
              "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
              "<trk><trkseg><trkpt lat=\"46.51\" lon=\"7.61\"><ele>900</ele><time>2024-05-01T10:00:00Z</time></trkpt>"
              "<trkpt lat=\"46.52\" lon=\"7.63\"><ele>905</ele><time>2024-05-01T10:00:10Z</time></trkpt>"
              "</trkseg></trk></gpx>\n");
    ASSERT_EQ(runCommand(std::string(CONVERT_BINARY) + " track.gpx converted.log", dir).status, 0);
    const ProgramRun raw = runCommand(prepPath() + " check track.gpx", dir);
    const ProgramRun converted = runCommand(prepPath() + " check converted.log", dir);
    EXPECT_NE(frameLine(raw.out), "none") << raw.out << raw.err;
    EXPECT_EQ(frameLine(raw.out), frameLine(converted.out));

    writeFile(dir + "/a.log", logAt(46.40, 7.50));
    writeFile(dir + "/b.log", logAt(46.44, 7.58));
    const ProgramRun both = runCommand(prepPath() + " check a.log b.log", dir);
    const ProgramRun box = runCommand(prepPath() + " --bbox 46.40,7.50,46.44,7.58 check", dir);
    const ProgramRun one = runCommand(prepPath() + " check a.log", dir);
    EXPECT_EQ(frameLine(both.out), frameLine(box.out)) << both.out << both.err;
    EXPECT_NE(frameLine(both.out), frameLine(one.out));
}

} // namespace
